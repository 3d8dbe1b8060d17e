// Trad and the language switch of theme.h.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include "theme.h"

namespace {

constexpr char kContext[] = "TfrmConfMesa";
// The Portuguese text as written, and what Trad last put in its place: when
// the program has changed the text since, the new text is the new source.
constexpr char kSource[] = "qdlSourceText";
constexpr char kShown[] = "qdlTranslatedText";
constexpr char kTitleSource[] = "qdlSourceTitle";
constexpr char kTitleShown[] = "qdlTranslatedTitle";

QString translated(QObject* object, const QString& current, const char* sourceKey, const char* shownKey)
{
    const QVariant source = object->property(sourceKey);
    const QVariant shown = object->property(shownKey);
    QString original = source.toString();
    if (!source.isValid() || current != shown.toString())
        original = current;
    const QString text = original.isEmpty()
        ? original
        : QCoreApplication::translate(kContext, original.toUtf8().constData());
    object->setProperty(sourceKey, original);
    object->setProperty(shownKey, text);
    return text;
}

QTranslator* g_translator = nullptr;
QTranslator* g_qtTranslator = nullptr;

void removeTranslators()
{
    for (QTranslator** t : {&g_translator, &g_qtTranslator}) {
        if (*t) {
            QCoreApplication::removeTranslator(*t);
            delete *t;
            *t = nullptr;
        }
    }
}

// Qt's own dialogs (the colour dialog behind "Mais cores…") in the same
// language, when the system carries Qt's translations.
void installQtTranslation(const QLocale& locale)
{
    auto* qt = new QTranslator;
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
        g_qtTranslator = qt;
    } else {
        delete qt;
    }
}

} // namespace

void Trad(QWidget* form)
{
    if (!form)
        return;
    form->setWindowTitle(translated(form, form->windowTitle(), kTitleSource, kTitleShown));
    const auto labels = form->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (!label->text().isEmpty())
            label->setText(translated(label, label->text(), kSource, kShown));
    }
    const auto buttons = form->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (!button->text().isEmpty())
            button->setText(translated(button, button->text(), kSource, kShown));
    }
}

bool installLanguage(const QString& language)
{
    QString lang = language.trimmed().toLower();
    if (lang.isEmpty())
        lang = QLocale::system().language() == QLocale::English ? QStringLiteral("en")
                                                                 : QStringLiteral("pt");
    lang = lang.left(2);

    removeTranslators();
    const bool english = lang == QLatin1String("en");
    // Portuguese is the original: only its plural forms are translated.
    if (!english)
        installQtTranslation(QLocale(QLocale::Portuguese, QLocale::Brazil));
    auto* translator = new QTranslator;
    if (!translator->load(english ? QStringLiteral(":/i18n/qdl_en.qm") : QStringLiteral(":/i18n/qdl_pt.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    g_translator = translator;
    return english;
}
