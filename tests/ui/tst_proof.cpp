// The proof on the stage: the commitment's badge in its corner before the
// draw and with the chain's hash after a stop, on the usual screens, clear of
// the winners' marquee, and the
// one-page "抽奖公证单" written from the menu.
#include "support/StageFixture.h"
#include "ui/proof/ProofSheet.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"

#include <QLabel>
#include <QRegularExpression>
#include <QtTest>

using namespace tessaly;

namespace {

const std::string kAwards = "Lucks=2\r\n[Grade]\r\n0=一等奖|2|1|2|电视|\r\n1=二等奖|3|2|2+1|手机|\r\n";

QString badgeText(const TFrmMain &window)
{
    const auto *badge = window.findChild<QWidget *>(QStringLiteral("ProofBadge"));
    if (!badge || !badge->isVisible())
        return {};
    QString text;
    for (const QLabel *l : badge->findChildren<QLabel *>())
        text += l->text();
    return text;
}

}  // namespace

class TestProof : public QObject {
    Q_OBJECT
private slots:
    void theBadgeShowsTheCommitmentAndAfterAStopTheChainInsideTheStage()
    {
        for (const QSize size : {QSize(1024, 768), QSize(1920, 1080)}) {
            test::StageFixture f(kAwards);
            f.window->resize(size);
            QCoreApplication::processEvents();
            const StageCaptions &c = f.session().captions();
            QCOMPARE(c.proofCode.size(), size_t(39));
            const QString before = badgeText(*f.window);
            QVERIFY2(before.contains(QString::fromStdString(c.proofCode.substr(0, 19))), qPrintable(before));
            f.batch();
            const QString after = badgeText(*f.window);
            QVERIFY2(after.contains(QString::fromStdString(c.chainHash)), qPrintable(after));
            QVERIFY(after != before);
            // Within the stage, in its lower left corner.
            const auto *badge = f.window->findChild<QWidget *>(QStringLiteral("ProofBadge"));
            QVERIFY(f.window->rect().contains(badge->geometry()));
            QVERIFY(badge->geometry().left() < f.window->width() / 4);
            QVERIFY(badge->geometry().bottom() > f.window->height() * 3 / 4);
            // Above the winners' marquee, never over its names.
            const auto *marquee = f.window->findChild<QWidget *>(QStringLiteral("RzMarqueeStatus1"));
            QVERIFY(marquee && marquee->isVisible());
            QVERIFY(!badge->geometry().intersects(marquee->geometry()));
            // Nor over the status caption or the buttons.
            for (const char *name : {"Status", "GoButton", "StopButton"})
                if (const auto *w = f.window->findChild<QWidget *>(QLatin1String(name)); w && w->isVisible())
                    QVERIFY2(!badge->geometry().intersects(w->geometry()), name);
        }
    }

    void theSheetIsOnePdfPageOpenedOnceWritten()
    {
        test::StageFixture f(kAwards);
        const QString pdf = QString::fromStdString((f.dir / "sheet.pdf").string());
        f.s.pickers.setNextFile(pdf);
        f.window->printProofSheet();
        QCOMPARE(f.s.opener.opened, QStringList{pdf});
        const std::string bytes = f.file("sheet.pdf");
        QVERIFY(bytes.rfind("%PDF-", 0) == 0);
        const QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        QCOMPARE(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))), 1);

        // What the sheet holds: the code published on the stage, the list and the award table.
        const ProofSheetData data = proofSheetData(f.session(), QStringLiteral("年会"), QStringLiteral("2026-12-10"));
        QCOMPARE(data.shortCode, QString::fromStdString(f.session().captions().proofCode));
        QCOMPARE(data.listSize, 30);
        QCOMPARE(data.awards.size(), 2);
    }
};

QTEST_MAIN(TestProof)
#include "tst_proof.moc"
