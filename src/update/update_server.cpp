// Base address, page addresses and the link rules of update files.
#include "update/update_server.h"

#include <cstdlib>

#include "base/app_settings.h"
#include "base/key_file.h"

namespace q3 {

namespace {

bool isWebScheme(const QString& scheme) {
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QUrl withPath(const QUrl& base, const QString& tail) {
  QUrl u = base;
  QString path = u.path();
  while (path.endsWith('/')) path.chop(1);
  u.setPath(path + tail);
  u.setQuery(QString());
  u.setFragment(QString());
  return u;
}

std::string_view trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

QUrl parseServerUrl(std::string_view text) {
  text = trimmed(text);
  if (text.empty()) return {};
  QUrl u(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::StrictMode);
  if (!u.isValid() || !isWebScheme(u.scheme()) || u.host().isEmpty() || !u.userInfo().isEmpty())
    return {};
  return u;
}

std::string updateServerSetting(const KeyFile& applicationIni) {
  return applicationIni.value(kSettingsSection, "UpdateServer").value_or("");
}

QUrl updateServerUrl(const std::string& startOption, const std::string& setting) {
  if (!startOption.empty()) {
    QUrl u = parseServerUrl(startOption);
    return u.isEmpty() ? QUrl(kPlaceholderUpdateServer) : u;
  }
  if (!setting.empty()) {
    QUrl u = parseServerUrl(setting);
    return u.isEmpty() ? QUrl(kPlaceholderUpdateServer) : u;
  }
  return QUrl(kPlaceholderUpdateServer);
}

bool updateServerConfigured(const QUrl& server) {
  if (!server.isValid() || server.host().isEmpty()) return false;
  const QString host = server.host().toLower();
  return host != "invalid" && !host.endsWith(".invalid");
}

QUrl patchFileUrl(const QUrl& server) { return withPath(server, "/old/patch.xml"); }

QUrl webPageUrl(const QUrl& server, WebPage page, int language) {
  QString tail = language == 2 ? "/cz/stahnout/" : "/en/stahnout/";
  tail += page == WebPage::Upload ? "upload" : "manuals";
  return withPath(server, tail);
}

CheckedLink checkOfferLink(std::string_view raw, const QUrl& server) {
  std::string_view text = trimmed(raw);
  if (text.empty()) return {LinkVerdict::Empty, {}};
  if (text.size() > kMaxLinkLength) return {LinkVerdict::TooLong, {}};
  for (char c : text)
    if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f') return {LinkVerdict::Malformed, {}};
  QUrl u(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::StrictMode);
  if (!u.isValid() || u.isRelative()) return {LinkVerdict::Malformed, {}};
  if (!isWebScheme(u.scheme())) return {LinkVerdict::BadScheme, {}};
  if (u.host().isEmpty() || !u.userInfo().isEmpty()) return {LinkVerdict::Malformed, {}};
  if (u.host() != server.host()) return {LinkVerdict::ForeignHost, {}};
  if (u.scheme() == QLatin1String("http") && server.scheme() == QLatin1String("https") &&
      u.port() == -1)
    u.setScheme("https");
  return {LinkVerdict::Allowed, u};
}

const char* linkVerdictText(LinkVerdict v) {
  switch (v) {
    case LinkVerdict::Allowed:
      return "allowed";
    case LinkVerdict::Empty:
      return "empty";
    case LinkVerdict::TooLong:
      return "longer than 249 characters";
    case LinkVerdict::Malformed:
      return "not a well-formed address";
    case LinkVerdict::BadScheme:
      return "neither http nor https";
    case LinkVerdict::ForeignHost:
      return "not on the update server's host";
  }
  return "";
}

}  // namespace q3
