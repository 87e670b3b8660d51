#pragma once
// The language of the program's texts, chosen from the desktop's locale. German is the language
// the texts are written in; English comes from the translation built into the program. Qt's own
// texts (standard buttons, the file dialog) follow the same choice.

#include <QLocale>
#include <QStringList>

namespace qly::texts {

enum class Language { German, English };

// The first of the user's languages (as `QLocale::uiLanguages` lists them, e.g. "de-AT",
// "en-GB", "C") that the program has: German for "de…", English for "en…"; English when none.
Language chooseLanguage(const QStringList& uiLanguages);

// The choice for this desktop: `LANGUAGE`, then `LC_ALL`, `LC_MESSAGES`, `LANG`.
Language systemLanguage();

// Makes `language` the program's: the texts of the window and of the engine, and the locale of
// numbers in fields: the language's in the desktop's region where the desktop speaks it (de_AT,
// en_GB), else its usual one (de_DE, en_US); always with the language's decimal separator, a
// comma in German and a point in English.
// Qt's own texts are switched as well once an application object exists; call
// `installIntoApplication` after creating it. Returns false when the translation could not be
// loaded (the texts then stay German).
bool useLanguage(Language language);

// Installs the chosen translations into the application object just created.
void installIntoApplication();

Language currentLanguage();

} // namespace qly::texts
