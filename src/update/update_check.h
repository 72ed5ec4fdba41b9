// One check for an update: GET of the update file from the maker's server on
// the calling thread's event loop (no worker thread), with a connect time
// limit, a total time limit and a cap on the answer's size, ending in one
// result value. Destroying the check or calling abort() mid-request ends the
// request at once and reports nothing.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>
#include <functional>
#include <string>

#include "update/patch_offer.h"

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace q3 {

inline constexpr int kUpdateConnectLimitMs = 2000;
inline constexpr int kUpdateTimeLimitMs = 10000;
inline constexpr qint64 kUpdateMaxBytes = 10'000'000;
// The most answer bytes the network layer buffers before they are taken.
inline constexpr qint64 kUpdateReadBuffer = 65536;

enum class UpdateOutcome {
  Offer,        // the update window is to be shown
  NoOffer,      // an answer came (an HTTP error status included) but offers nothing now
  Unreachable,  // no answer: name not resolved, connection refused, network error
  TimedOut,     // the connect or the total time limit ran out
};

struct UpdateCheckRequest {
  QUrl server;
  std::string buildDate;
  int language = 0;
  int declinedNumber = 0;
  int connectLimitMs = kUpdateConnectLimitMs;
  int timeLimitMs = kUpdateTimeLimitMs;
  qint64 maxBytes = kUpdateMaxBytes;
};

struct UpdateCheckResult {
  UpdateOutcome outcome = UpdateOutcome::NoOffer;
  int httpStatus = 0;          // 0 when no HTTP answer arrived
  std::string detail;          // why there is no offer, for the log and the tool
  PatchEvaluation evaluation;  // filled when a body was evaluated
  QByteArray body;             // the answer as it came, for another language's texts
};

const char* updateOutcomeText(UpdateOutcome o);

// The result for an answer that arrived complete (status 200 and its body).
UpdateCheckResult evaluateUpdateAnswer(int httpStatus, const QByteArray& body,
                                       const UpdateCheckRequest& request);

class UpdateCheck : public QObject {
  Q_OBJECT
 public:
  using Done = std::function<void(const UpdateCheckResult&)>;

  explicit UpdateCheck(QObject* parent = nullptr);
  ~UpdateCheck() override;

  // Starts the GET; done is called once, later, from the event loop. False
  // (and nothing started) while a check is running.
  bool start(const UpdateCheckRequest& request, Done done);
  // Ends a running check; done is not called.
  void abort();
  bool running() const { return m_reply != nullptr || m_pending; }

 private:
  void onReadyRead();
  void onFinished();
  void finish(const UpdateCheckResult& r);
  void drop();

  QNetworkAccessManager* m_nam = nullptr;
  QNetworkReply* m_reply = nullptr;
  QTimer* m_connectTimer = nullptr;
  QTimer* m_totalTimer = nullptr;
  UpdateCheckRequest m_request;
  Done m_done;
  QByteArray m_body;
  enum class Stop { None, TimedOut, TooLarge } m_stop = Stop::None;
  bool m_pending = false;  // an answer without request (no server) is on its way
};

}  // namespace q3
