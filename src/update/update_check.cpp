// The update check's request, its limits and its result.
#include "update/update_check.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <string_view>

#include "update/update_server.h"

namespace q3 {

const char* updateOutcomeText(UpdateOutcome o) {
  switch (o) {
    case UpdateOutcome::Offer:
      return "offer";
    case UpdateOutcome::NoOffer:
      return "no offer";
    case UpdateOutcome::Unreachable:
      return "server unreachable";
    case UpdateOutcome::TimedOut:
      return "out of time";
  }
  return "";
}

UpdateCheckResult evaluateUpdateAnswer(int httpStatus, const QByteArray& body,
                                       const UpdateCheckRequest& request) {
  UpdateCheckResult r;
  r.httpStatus = httpStatus;
  r.body = body;
  if (httpStatus < 200 || httpStatus > 299) {
    r.detail = "HTTP status " + std::to_string(httpStatus);
    return r;
  }
  if (body.isEmpty()) {
    r.detail = "empty answer";
    return r;
  }
  PatchOfferContext ctx{request.buildDate, request.language, request.declinedNumber,
                        request.server};
  r.evaluation =
      evaluatePatchFile(std::string_view(body.constData(), static_cast<size_t>(body.size())), ctx);
  if (r.evaluation.verdict == PatchVerdict::Offer)
    r.outcome = UpdateOutcome::Offer;
  else
    r.detail = patchVerdictText(r.evaluation.verdict);
  return r;
}

UpdateCheck::UpdateCheck(QObject* parent)
    : QObject(parent),
      m_nam(new QNetworkAccessManager(this)),
      m_connectTimer(new QTimer(this)),
      m_totalTimer(new QTimer(this)) {
  m_connectTimer->setSingleShot(true);
  m_totalTimer->setSingleShot(true);
  auto outOfTime = [this] {
    if (!m_reply) return;
    m_stop = Stop::TimedOut;
    m_reply->abort();  // finished follows at once
  };
  connect(m_connectTimer, &QTimer::timeout, this, outOfTime);
  connect(m_totalTimer, &QTimer::timeout, this, outOfTime);
}

UpdateCheck::~UpdateCheck() { abort(); }

bool UpdateCheck::start(const UpdateCheckRequest& request, Done done) {
  if (m_reply || m_pending) return false;
  m_request = request;
  m_done = std::move(done);
  m_body.clear();
  m_stop = Stop::None;

  // Without a configured server there is nothing to ask: no name is looked
  // up and no connection is opened. The answer still comes from the event
  // loop, as a real one would.
  if (!updateServerConfigured(request.server)) {
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
      if (!m_pending) return;
      m_pending = false;
      UpdateCheckResult r;
      r.outcome = UpdateOutcome::Unreachable;
      r.detail = "no update server configured";
      finish(std::move(r));
    });
    return true;
  }
  QNetworkRequest req(patchFileUrl(request.server));
  req.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                   QNetworkRequest::NoLessSafeRedirectPolicy);
  req.setMaximumRedirectsAllowed(3);
  req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  req.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("QUELIN3-Setup"));
  m_reply = m_nam->get(req);
  // The network layer holds at most this much unread answer; it reads more
  // from the socket only as the answer is taken, so a body of any length and
  // any transfer encoding (chunked too) is refused once it passes the cap
  // without being held first.
  m_reply->setReadBufferSize(kUpdateReadBuffer);
  connect(m_reply, &QNetworkReply::requestSent, this, [this] { m_connectTimer->stop(); });
  connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
    // A declared length above the cap is turned down before any byte is read.
    bool ok = false;
    qint64 len = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    if (ok && len > m_request.maxBytes) {
      m_stop = Stop::TooLarge;
      m_reply->abort();
    }
  });
  connect(m_reply, &QNetworkReply::readyRead, this, &UpdateCheck::onReadyRead);
  connect(m_reply, &QNetworkReply::finished, this, &UpdateCheck::onFinished);
  m_connectTimer->start(request.connectLimitMs);
  m_totalTimer->start(request.timeLimitMs);
  return true;
}

void UpdateCheck::onReadyRead() {
  if (!m_reply || m_stop != Stop::None) return;
  while (m_reply->bytesAvailable() > 0) {
    const qint64 room = m_request.maxBytes - m_body.size();
    if (m_reply->bytesAvailable() > room) {
      m_stop = Stop::TooLarge;
      m_reply->abort();
      return;
    }
    m_body += m_reply->read(std::min<qint64>(m_reply->bytesAvailable(), kUpdateReadBuffer));
  }
}

void UpdateCheck::onFinished() {
  if (!m_reply) return;
  UpdateCheckResult r;
  const QVariant statusAttr = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  const int status = statusAttr.isValid() ? statusAttr.toInt() : 0;
  r.httpStatus = status;
  if (m_stop == Stop::TimedOut) {
    r.outcome = UpdateOutcome::TimedOut;
    r.detail = "no complete answer within the time limit";
  } else if (m_stop == Stop::TooLarge) {
    r.detail = "answer larger than " + std::to_string(m_request.maxBytes) + " bytes";
  } else if (m_reply->error() != QNetworkReply::NoError && status == 0) {
    r.outcome = m_reply->error() == QNetworkReply::TimeoutError ? UpdateOutcome::TimedOut
                                                                : UpdateOutcome::Unreachable;
    r.detail = m_reply->errorString().toStdString();
  } else {
    if (m_reply->error() == QNetworkReply::NoError) onReadyRead();
    if (m_stop == Stop::TooLarge)
      r.detail = "answer larger than " + std::to_string(m_request.maxBytes) + " bytes";
    else
      r = evaluateUpdateAnswer(status, m_body, m_request);
  }
  finish(r);
}

void UpdateCheck::finish(const UpdateCheckResult& r) {
  Done done = std::move(m_done);
  drop();
  m_body.clear();
  // Last: done may start the next check.
  if (done) done(r);
}

void UpdateCheck::drop() {
  m_connectTimer->stop();
  m_totalTimer->stop();
  if (!m_reply) return;
  QNetworkReply* reply = m_reply;
  m_reply = nullptr;
  disconnect(reply, nullptr, this, nullptr);
  reply->abort();
  reply->deleteLater();
}

void UpdateCheck::abort() {
  m_pending = false;
  m_done = nullptr;
  drop();
  m_body.clear();
}

}  // namespace q3
