#include "app/Language.h"

#include "platform/Texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qly::texts {
namespace {

// The program's own translation and Qt's; they live as long as the program.
QTranslator& ownTexts() {
    static QTranslator t;
    return t;
}

QTranslator& qtTexts() {
    static QTranslator t;
    return t;
}

Language gLanguage = Language::German;
bool gOwnLoaded = false;
bool gQtLoaded = false;

std::string lookup(const char* context, const char* source) {
    return ownTexts().translate(context, source).toStdString();
}

QLocale numberLocale(Language language) {
    const QLocale usual = language == Language::German
                              ? QLocale(QLocale::German, QLocale::Germany)
                              : QLocale(QLocale::English, QLocale::UnitedStates);
    // The desktop's region where it speaks the language (de_AT, en_GB). Not the system locale
    // itself: its language follows LANGUAGE, its numbers LC_NUMERIC or LANG, so with
    // LANGUAGE=de and LANG=C.UTF-8 it would be a German with a decimal point.
    const QLocale system = QLocale::system();
    if (system.language() == usual.language()) {
        const QLocale regional(usual.language(), system.territory());
        if (regional.language() == usual.language() &&
            regional.decimalPoint() == usual.decimalPoint()) {
            return regional;
        }
    }
    return usual;
}

} // namespace

Language chooseLanguage(const QStringList& uiLanguages) {
    for (const QString& name : uiLanguages) {
        const QString lower = name.toLower();
        if (lower.startsWith(u"de")) {
            return Language::German;
        }
        if (lower.startsWith(u"en")) {
            return Language::English;
        }
    }
    return Language::English;
}

Language systemLanguage() {
    return chooseLanguage(QLocale::system().uiLanguages());
}

bool useLanguage(Language language) {
    // Leave the application's translators first, so that nothing looks into one being reloaded.
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::removeTranslator(&ownTexts());
        QCoreApplication::removeTranslator(&qtTexts());
    }
    setTextLookup(nullptr);
    gLanguage = language;
    gOwnLoaded = false;
    bool ok = true;
    if (language == Language::English) {
        gOwnLoaded = ownTexts().load(QStringLiteral(":/i18n/quillory_en.qm"));
        ok = gOwnLoaded;
        if (gOwnLoaded) {
            setTextLookup(&lookup);
        }
    }
    QLocale::setDefault(numberLocale(language));
    installIntoApplication();
    return ok;
}

void installIntoApplication() {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    QCoreApplication::removeTranslator(&ownTexts());
    QCoreApplication::removeTranslator(&qtTexts());
    if (gOwnLoaded) {
        QCoreApplication::installTranslator(&ownTexts());
    }
    // Qt's texts are those of its buttons and dialogs, so they are read only for an application
    // that can show them, once. They are English as they come; German ones come from the
    // system's Qt translations where they are installed.
    if (gLanguage == Language::German && app->inherits("QGuiApplication")) {
        if (!gQtLoaded) {
            gQtLoaded = qtTexts().load(QLocale(QLocale::German, QLocale::Germany),
                                       QStringLiteral("qtbase"), QStringLiteral("_"),
                                       QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        }
        if (gQtLoaded) {
            QCoreApplication::installTranslator(&qtTexts());
        }
    }
}

Language currentLanguage() {
    return gLanguage;
}

} // namespace qly::texts
