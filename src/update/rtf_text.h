// The plain text of an RTF document, for offer texts that the maker writes in
// a word processor. The update window shows plain text only, so the RTF is
// read for its characters: paragraphs and line breaks become "\n", tabs "\t",
// \'hh bytes are read in the document's code page (\ansicpgN, Windows-1250
// when none is named), \uN characters are taken and their fallback skipped,
// and groups that hold no text (font, colour and style tables, pictures,
// field instructions, {\* ...}) are left out.
#pragma once

#include <string>
#include <string_view>

namespace q3 {

// True when the text carries "{\rtf1" and so is to be read as RTF.
bool isRtfText(std::string_view text);

// UTF-8 plain text of rtf; never fails (unknown control words are dropped,
// unbalanced braces are tolerated).
std::string rtfToPlainText(std::string_view rtf);

}  // namespace q3
