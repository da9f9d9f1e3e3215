// Switching the language. Texts are loaded once per run, so a new language
// takes effect in a new instance: the choice is saved, the user is told in
// all five languages, and the program restarts itself.
#pragma once

#include <string>

// The notice shown after choosing language `index` (0..4): the five
// sentences, the chosen language first, separated by blank lines. Empty for
// any other index.
std::string LanguageChangeNotice(int index);

extern const char* const kLanguageChangeCaption; // "Tips"

// The language combo's handler, given the combo's selected row. Choosing the
// active language, or no valid row (outside 0..4, e.g. no selection), does
// nothing and returns false. Otherwise sets LanguageIndex, saves
// LastConfig.xml and then LastStringConfig.xml, shows the notice and asks the
// restarter to start the running executable anew; returns true.
bool OnLanguageChanged(int newRow);
