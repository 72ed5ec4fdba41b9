// quelin3-tool check-update: the window's update check for scripts. It asks
// the server the window would ask (or the one given) and prints the offer
// for this build, or "no update".
//
// Exit codes: 0 an offer or none (an HTTP error status included), 2 when the
// server cannot be reached, the check runs out of time, or the arguments are
// wrong.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <regex>
#include <string>

#include "base/app_paths.h"
#include "base/key_file.h"
#include "base/version_line.h"
#include "cli_command.h"
#include "update/update_check.h"
#include "update/update_server.h"

namespace {

int usage(const char* why, const std::string& what) {
  std::fprintf(stderr, "check-update: %s '%s'\n", why, what.c_str());
  return 2;
}

// The server the window would use: QUELIN3_UPDATE_SERVER, else UpdateServer
// of application.ini, else the placeholder.
QUrl configuredServer() {
  q3::KeyFile kf;
  kf.load(q3::resolveAppPaths(q3cli::startOptions()).applicationIni());
  return q3::updateServerUrl(q3cli::startOptions().updateServer, q3::updateServerSetting(kf));
}

void printOffer(const q3::UpdateCheckResult& r, const q3::UpdateCheckRequest& req) {
  const q3::PatchOffer& en = *r.evaluation.offer;
  q3::UpdateCheckRequest czReq = req;
  czReq.language = 2;
  const q3::UpdateCheckResult cz = q3::evaluateUpdateAnswer(r.httpStatus, r.body, czReq);
  std::printf("update %d\n", en.updateNumber);
  std::printf("text: %s\n", en.text.c_str());
  if (cz.evaluation.offer && cz.evaluation.offer->text != en.text)
    std::printf("text (czech): %s\n", cz.evaluation.offer->text.c_str());
  if (!en.web.isEmpty()) std::printf("web: %s\n", en.web.toString().toUtf8().constData());
  if (cz.evaluation.offer && cz.evaluation.offer->web != en.web &&
      !cz.evaluation.offer->web.isEmpty())
    std::printf("web (czech): %s\n", cz.evaluation.offer->web.toString().toUtf8().constData());
  if (!en.download.isEmpty())
    std::printf("download: %s\n", en.download.toString().toUtf8().constData());
}

int runCheckUpdate(const std::vector<std::string>& args) {
  q3::UpdateCheckRequest req;
  req.buildDate = q3::buildDate();
  std::optional<QUrl> server;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--server" && hasValue) {
      QUrl u = q3::parseServerUrl(args[++i]);
      if (u.isEmpty()) return usage("not an http or https address:", args[i]);
      server = u;
    } else if (a == "--build-date" && hasValue) {
      if (!std::regex_match(args[++i], std::regex(R"(\d{4}_\d\d_\d\d)")))
        return usage("build date is not YYYY_MM_DD:", args[i]);
      req.buildDate = args[i];
    } else if (a == "--time-limit" && hasValue) {
      req.timeLimitMs = std::atoi(args[++i].c_str());
      if (req.timeLimitMs <= 0) return usage("time limit is not a positive number:", args[i]);
    } else {
      return usage("unknown argument", a);
    }
  }

  int argc = 1;
  char name[] = "quelin3-tool";
  char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);

  req.server = server ? *server : configuredServer();
  std::optional<q3::UpdateCheckResult> result;
  q3::UpdateCheck check;
  check.start(req, [&](const q3::UpdateCheckResult& r) {
    result = r;
    QCoreApplication::quit();
  });
  QCoreApplication::exec();
  if (!result) return 2;

  for (const std::string& note : result->evaluation.notes)
    std::fprintf(stderr, "check-update: %s\n", note.c_str());
  switch (result->outcome) {
    case q3::UpdateOutcome::Offer:
      printOffer(*result, req);
      return 0;
    case q3::UpdateOutcome::NoOffer:
      std::fprintf(stderr, "check-update: %s\n", result->detail.c_str());
      std::printf("no update\n");
      return 0;
    case q3::UpdateOutcome::Unreachable:
    case q3::UpdateOutcome::TimedOut:
      break;
  }
  std::fprintf(stderr, "check-update: %s (%s): %s\n", q3::updateOutcomeText(result->outcome),
               q3::patchFileUrl(req.server).toString().toUtf8().constData(),
               result->detail.c_str());
  return 2;
}

const q3cli::CliRegistrar kCheckUpdate(
    {"check-update", "check-update [--server URL] [--build-date YYYY_MM_DD] [--time-limit MS]",
     "ask the update server whether a newer version is offered for this build", runCheckUpdate});

}  // namespace
