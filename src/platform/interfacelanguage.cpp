#include "platform/interfacelanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <functional>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Marks the translators an install made, so that the next install finds and replaces them.
constexpr auto ownTranslatorName = "interfaceLanguageTranslator";

InterfaceLanguage::Language g_installed = InterfaceLanguage::Language::Chinese;

std::optional<InterfaceLanguage::Language> languageOf(const QString &uiLanguage)
{
    switch (QLocale(uiLanguage).language()) {
    case QLocale::English:
        return InterfaceLanguage::Language::English;
    case QLocale::Chinese:
    case QLocale::C:
        return InterfaceLanguage::Language::Chinese;
    default:
        return std::nullopt;
    }
}

void removeEarlierTranslators(QCoreApplication *app)
{
    const QList<QTranslator *> earlier =
        app->findChildren<QTranslator *>(QLatin1StringView(ownTranslatorName), Qt::FindDirectChildrenOnly);
    for (QTranslator *translator : earlier) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

// A translator owned by the application, installed when its file loads.
bool installLoaded(QCoreApplication *app, const std::function<bool(QTranslator &)> &load)
{
    auto translator = std::make_unique<QTranslator>();
    if (!load(*translator))
        return false;
    translator->setObjectName(QLatin1StringView(ownTranslatorName));
    translator->setParent(app);
    QCoreApplication::installTranslator(translator.release());
    return true;
}

} // namespace

namespace InterfaceLanguage {

Language chosenFrom(const QStringList &uiLanguages)
{
    for (const QString &uiLanguage : uiLanguages) {
        if (const std::optional<Language> language = languageOf(uiLanguage))
            return *language;
    }
    return Language::Chinese;
}

Language ofSystem()
{
    return chosenFrom(QLocale::system().uiLanguages());
}

Language install(Language language, const QString &programFolder)
{
    QCoreApplication *app = QCoreApplication::instance();
    removeEarlierTranslators(app);
    g_installed = Language::Chinese;
    if (language == Language::English && installLoaded(app, [&programFolder](QTranslator &translator) {
            return translator.load(u"tunoxa_en"_s, programFolder + u"/translations"_s);
        })) {
        g_installed = Language::English;
        return g_installed;
    }
    installLoaded(app, [](QTranslator &translator) {
        return translator.load(QLocale(QLocale::Chinese, QLocale::China), u"qtbase"_s, u"_"_s,
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    });
    return g_installed;
}

Language installed()
{
    return g_installed;
}

QString helpFileName()
{
    return g_installed == Language::English ? u"help_en.html"_s : u"help.html"_s;
}

} // namespace InterfaceLanguage
