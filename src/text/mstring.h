// Multi-language strings: "###English##Deutsch##Česky" selected by language.
//
// Source form: "###" + first (English) version, each further version after
// "##"; one to three versions; a version ".." (or an empty one) means "not
// translated, use the first". A text that does not begin with '#' is used as
// it stands.
//
// The first selection prepares the buffer in place so that later selections
// only walk length bytes:
//   byte 0   stays '#'
//   byte 1   number of versions (1..3); '#' here marks the source form
//   byte 2   length of version 1 when a marker ends it (else stays '#')
//   byte 3.. version 1, NUL-terminated; each ending marker's first byte
//            becomes that NUL and its second byte the next version's length.
// Versions ended by a marker lose trailing blanks, tabs, CR and LF (their
// first character always stays); the stored length is the untrimmed one, so
// the next version always starts at start + length + 2. A version longer than
// 255 bytes cannot be prepared. Malformed strings are reported in a modal box
// titled "Error" (through q3::dialogs()) and returned unchanged.
#pragma once

namespace q3 {

// Current user-interface language: 0 English, 1 German, 2 Czech. Initially 0.
// Safe to read from any thread.
int language();
void setLanguage(int lang);

// Selects a version of a writable multi-language string buffer, preparing the
// buffer in place on first use. index -1 means the current language; any
// index outside 0..2 then means 0. Returns a pointer into text.
char* selectText(char* text, int index = -1);

// Selects a version of a string literal. Each literal (by address) is copied
// once into a prepared buffer that lives for the whole run; later calls walk
// the prepared buffer and allocate nothing. Safe to call from any thread.
const char* ml(const char* literal, int index = -1);

// Settings code of a language: English 0, German 1, Czech 3.
int languageCode(int lang);
// Language stored under a settings code (0 -> 0, 1 -> 1, 3 -> 2); any other
// code gives `current` back unchanged.
int languageFromCode(int code, int current);

}  // namespace q3
