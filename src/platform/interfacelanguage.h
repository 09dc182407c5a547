#pragma once

#include <QString>
#include <QStringList>

// The language the program speaks. The Chinese texts are the source texts of every tr(); English
// comes from the translation in the program folder's translations/. Both programs, the window and
// tunoxa-batch, choose it the same way when they start.
namespace InterfaceLanguage {

enum class Language
{
    Chinese,
    English,
};

// The first entry that is Chinese, English or C (as QLocale::uiLanguages() lists them) decides; C
// and a list with none of them speak Chinese.
Language chosenFrom(const QStringList &uiLanguages);
// The choice for QLocale::system().uiLanguages().
Language ofSystem();

// Installs into the running application what `language` needs: the program's English texts from
// `programFolder`/translations, or Qt's own texts in Chinese for Qt's dialogs (English needs none).
// What an earlier install put there goes first. Returns the language the interface now shows: Chinese
// when the English texts cannot be loaded.
Language install(Language language, const QString &programFolder);

// The language of the last install; Chinese before any.
Language installed();

// The user guide in the program folder in the installed language: "help.html" or "help_en.html".
QString helpFileName();

} // namespace InterfaceLanguage
