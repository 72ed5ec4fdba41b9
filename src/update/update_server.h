// The maker's web server: where its base address comes from, the addresses
// of the update file and of the web pages, and which links of an update file
// the program is willing to open.
#pragma once

#include <QUrl>
#include <string>
#include <string_view>

namespace q3 {

class KeyFile;

// A name under the reserved ".invalid" domain: it never resolves, so no
// traffic leaves the machine until a server is configured.
inline constexpr const char* kPlaceholderUpdateServer = "https://updates.quelin3.invalid";

// The base address: the start option (QUELIN3_UPDATE_SERVER) when set, else
// the setting UpdateServer when set, else the placeholder. A value that is not
// an http or https address with a host gives the placeholder too.
QUrl updateServerUrl(const std::string& startOption, const std::string& setting);
// The setting UpdateServer of application.ini (section FORM_HLAV); the
// program never writes it, an administrator or a workshop does.
std::string updateServerSetting(const KeyFile& applicationIni);
// The same check for one given text; an empty QUrl when it is no usable base.
QUrl parseServerUrl(std::string_view text);

// False for the placeholder (any host under ".invalid") and an empty address:
// no request is made for these at all.
bool updateServerConfigured(const QUrl& server);

// base + "/old/patch.xml" (a path of the base address is kept in front).
QUrl patchFileUrl(const QUrl& server);

enum class WebPage { Upload, Manuals };
// base + "/en/stahnout/upload" or ".../manuals"; "/cz/..." in Czech (language 2).
QUrl webPageUrl(const QUrl& server, WebPage page, int language);

// Links of an update file.
inline constexpr std::size_t kMaxLinkLength = 249;

enum class LinkVerdict {
  Allowed,
  Empty,        // no text (after trimming blanks)
  TooLong,      // more than 249 characters
  Malformed,    // not a well-formed address, or one with user information
  BadScheme,    // anything but http and https
  ForeignHost,  // another host than the configured server's
};

struct CheckedLink {
  LinkVerdict verdict = LinkVerdict::Empty;
  QUrl url;  // set only when allowed
};

// An http link on the host of an https server becomes https when it names no
// port of its own: the server answers there anyway, and the download must not
// travel in the clear.
CheckedLink checkOfferLink(std::string_view raw, const QUrl& server);
const char* linkVerdictText(LinkVerdict v);

}  // namespace q3
