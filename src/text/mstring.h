// Multi-language strings: "###English##Deutsch##Česky" selected by language.
#pragma once

namespace q3 {

// Current user-interface language: 0 English, 1 German, 2 Czech.
int language();
void setLanguage(int lang);

// Selects a version of a writable multi-language string buffer, preparing the
// buffer in place on first use. index -1 means the current language.
char* selectText(char* text, int index = -1);

// Selects a version of a string literal. Each literal (by address) is copied
// once into a prepared buffer that lives for the whole run; later calls walk
// the prepared buffer and allocate nothing. Safe to call from any thread.
const char* ml(const char* literal, int index = -1);

}  // namespace q3
