#include "filewindow.h"

#include <QTemporaryDir>

using namespace FileListTest;

// Drops on the list and on the drop zone, the hint over the list, and how failed rows look.
class TestFileListView : public QObject
{
    Q_OBJECT

private slots:
    void dropOnTheListKeepsOrderAndCopies()
    {
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/My Music");
        QDir().mkpath(folder);
        QFile track(folder + QStringLiteral("/x.flac"));
        QVERIFY(track.open(QIODevice::WriteOnly));
        const QStringList dropped{root.path() + QStringLiteral("/z.flac"),
                                  root.path() + QStringLiteral("/a.mp3"), folder,
                                  root.path() + QStringLiteral("/track01")};
        Window w;
        std::unique_ptr<QMimeData> data(urls(dropped));
        const DropResult result = dragAndDrop(w.fileListView->viewport(), data.get());
        QVERIFY(result.enterAccepted);
        QVERIFY(result.dropAccepted);
        QCOMPARE(result.action, Qt::CopyAction);
        // A dropped folder is searched for FLAC files in its place in the order.
        QTRY_COMPARE(paths(*w.list), (QStringList{dropped[0], dropped[1], track.fileName(), dropped[3]}));
        QCOMPARE(w.list->data(w.list->index(1, 1)).toString(), QStringLiteral(".MP3"));
        QCOMPARE(w.list->data(w.list->index(3, 1)).toString(), QStringLiteral("CK01"));
        QVERIFY(!w.hintShown());
    }

    // The hint lies over the list; what is dropped or clicked on it reaches the list below.
    void theHintLetsDropsThroughToTheList()
    {
        Window w;
        w.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.frame));
        QVERIFY(w.hintBox->isVisible());
        QCOMPARE(w.frame.childAt(w.hintBox->geometry().center()), w.fileListView->viewport());
    }

    void dropWithoutFilesChangesNothing_data()
    {
        QTest::addColumn<bool>("webLink");
        QTest::newRow("plain text") << false;
        QTest::newRow("web link") << true;
    }
    void dropWithoutFilesChangesNothing()
    {
        QFETCH(bool, webLink);
        Window w;
        QMimeData data;
        if (webLink)
            data.setUrls({QUrl(QStringLiteral("http://example.invalid/a.flac"))});
        else
            data.setText(QStringLiteral("/m/a.flac"));
        const DropResult result = dragAndDrop(w.fileListView->viewport(), &data);
        QVERIFY(!result.enterAccepted);
        QVERIFY(w.list->isEmpty());
        QVERIFY(w.hintShown());
    }

    void dropZoneLeavesTheHintAlone()
    {
        Window w;
        std::unique_ptr<QMimeData> data(urls({QStringLiteral("/m/b.flac"), QStringLiteral("/m/a.flac")}));
        const DropResult result = dragAndDrop(w.dropZone, data.get());
        QVERIFY(result.enterAccepted);
        QCOMPARE(result.action, Qt::CopyAction);
        QCOMPARE(paths(*w.list), (QStringList{QStringLiteral("/m/b.flac"), QStringLiteral("/m/a.flac")}));
        QVERIFY(w.hintShown());
    }

    void dropZoneClickBrowsesForAFile()
    {
        Window w;
        w.browseAnswers = {QStringLiteral("/m/picked.wav"), QString()};
        QTest::mouseClick(w.dropZone, Qt::LeftButton);
        QCOMPARE(paths(*w.list), QStringList{QStringLiteral("/m/picked.wav")});
        QVERIFY(w.hintShown());
        QTest::mouseClick(w.dropZone, Qt::LeftButton);
        QCOMPARE(w.list->count(), 1);
        QCOMPARE(w.commands->lastAddFolder(), QString());
    }

    void failedRowsAreRedWithTheReason()
    {
        Window w;
        w.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.frame));
        const auto ok = w.list->addFile(QStringLiteral("/m/ok.flac"));
        const auto bad = w.list->addFile(QStringLiteral("/m/bad.flac"));
        Q_UNUSED(ok);
        w.list->markFailed(bad, QStringLiteral("Invalid data found when processing input"));
        const auto countRed = [&](int row) {
            const QRect rect = w.fileListView->visualRect(w.list->index(row, 0));
            const QImage image = w.fileListView->viewport()->grab(rect).toImage();
            int red = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
                }
            return red;
        };
        QCOMPARE(countRed(0), 0);
        QVERIFY(countRed(1) > 0);
        QCOMPARE(w.list->index(1, 0).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Invalid data found when processing input"));
        w.list->clearFailedMarks();
        QCOMPARE(countRed(1), 0);
    }
};

QTEST_MAIN(TestFileListView)
#include "tst_filelistview.moc"
