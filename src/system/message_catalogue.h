// Texts of the library's messages. A message template starts with its identifier between two "$"
// (or two "#") signs, "$1010-0171$フォルダ [%s] が作成出来ません", so that a catalogue could give
// the text in another language. No catalogue texts are registered in this program: a template
// resolves to its own text.
#pragma once

// The text of `messageTemplate`: what follows the identifier's closing sign, or the whole template
// when it has no identifier.
const char16_t* ResolveMessage(const char16_t* messageTemplate);
