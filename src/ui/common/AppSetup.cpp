#include "ui/common/AppSetup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tessaly {

namespace {

// Windows font names the settings may hold.
constexpr const char *kWindowsFontNames[] = {"黑体", "宋体", "宋书", "新宋体", "楷体", "楷体_GB2312", "仿宋", "仿宋_GB2312",
                                            "隶书", "幼圆", "微软雅黑", "SimHei", "SimSun", "NSimSun", "KaiTi",
                                            "Microsoft YaHei", "MS Sans Serif", "Tahoma", "Arial", "Times New Roman"};

}  // namespace

QStringList fontAliases()
{
    const QStringList installed = QFontDatabase::families();
    QStringList aliases;
    for (const char *name : kWindowsFontNames) {
        const QString family = QString::fromUtf8(name);
        if (!installed.contains(family) && !QFont::substitutes(family).isEmpty())
            aliases << family;
    }
    return aliases;
}

void installFontSubstitutions()
{
    const QStringList installed = QFontDatabase::families();
    QStringList cjk;
    for (const char *candidate : {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Noto Sans SC",
                                  "Droid Sans Fallback", "AR PL UMing CN"}) {
        if (installed.contains(QString::fromLatin1(candidate)))
            cjk << QString::fromLatin1(candidate);
    }
    if (cjk.isEmpty())
        return;
    for (const char *name : kWindowsFontNames) {
        const QString family = QString::fromUtf8(name);
        if (!installed.contains(family))
            QFont::insertSubstitutions(family, cjk);
    }
}

void keepSyntheticBoldAtEverySize()
{
    qputenv("QT_NO_SYNTHESIZED_BOLD_LIMIT", "1");
}

void setupApplication(QApplication &app)
{
    keepSyntheticBoldAtEverySize();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString path = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_zh_CN", "qtmultimedia_zh_CN"}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(name), path))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
    installFontSubstitutions();
    QFont base = QApplication::font();
    base.setFamilies({base.family(), QStringLiteral("WenQuanYi Micro Hei")});
    QApplication::setFont(base);
}

}  // namespace tessaly
