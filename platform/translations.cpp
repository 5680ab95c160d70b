#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

namespace {

// Qt 6 takes the texts of standard buttons (OK, Cancel, Save, Open, ...) from the context
// "QPlatformTheme"; the Slovenian catalogue that Debian ships for Qt 6.4 still files them
// under "QDialogButtonBox", their context in older Qt. This looks them up there.
class StandardButtonTranslator : public QTranslator {
  public:
    StandardButtonTranslator(const QTranslator* catalogue, QObject* parent)
        : QTranslator(parent), catalogue_(catalogue) {}

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QPlatformTheme") != 0)
            return {};
        return catalogue_->translate("QDialogButtonBox", sourceText, disambiguation, n);
    }
    bool isEmpty() const override { return false; }

  private:
    const QTranslator* catalogue_;
};

}  // namespace

bool InstallStandardTranslations(const QString& directory) {
    const QString dir =
        directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    // The translators live as long as the program: the application object owns them.
    auto* catalogue = new QTranslator(QCoreApplication::instance());
    // Newer Qt splits the catalogue by module ("qtbase_sl"); Qt 6.4 on Debian ships it whole.
    for (const char* name : {"qtbase_sl", "qt_sl"}) {
        if (catalogue->load(QLatin1String(name), dir)) {
            // The translator installed last is asked first; the catalogue's own answer for
            // "QPlatformTheme", should a later catalogue have one, still wins.
            QCoreApplication::installTranslator(
                new StandardButtonTranslator(catalogue, QCoreApplication::instance()));
            return QCoreApplication::installTranslator(catalogue);
        }
    }
    delete catalogue;
    return false;
}

}  // namespace platform
