// Where the desktop's file dialogs start, and what they remember for the run.

#include "QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using velmora::platform::FileUse;
using velmora::platform::QtDialogs;
using namespace Qt::StringLiterals;

namespace {

// What one dialog showed when it opened.
struct Seen
{
    QString folder;
    QString name; // the file name offered
};

// Answers the next file dialog while the caller runs it: picks the file
// answer or, when it is empty, cancels.
class DialogRun
{
public:
    explicit DialogRun(const QString &answer) : m_answer(answer)
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] { look(); });
        m_poll.start();
    }
    Seen seen;
    bool answered = false;

private:
    void look()
    {
        QFileDialog *dialog = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *shown = qobject_cast<QFileDialog *>(top); shown && shown->isVisible())
                dialog = shown;
        }
        if (!dialog || answered)
            return;
        if (!m_looked) {
            m_looked = true;
            seen.folder = QDir(dialog->directory()).absolutePath();
            const QStringList selected = dialog->selectedFiles();
            if (!selected.isEmpty() && QFileInfo(selected.first()).absolutePath() == seen.folder)
                seen.name = QFileInfo(selected.first()).fileName();
        }
        if (m_answer.isEmpty()) {
            answered = true;
            dialog->reject();
            return;
        }
        // Typed into the name field as a user does: selectFile leaves the
        // field alone once it has the focus, which comes when it comes.
        // Closed as the user's OK closes it, without the dialog's own check
        // of the file, which waits on its folder model and may ask a
        // question of its own on a busy machine.
        if (auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s))
            name->setText(m_answer);
        else
            dialog->selectFile(m_answer);
        if (dialog->selectedFiles().value(0) != m_answer)
            return;
        answered = true;
        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
    }

    QString m_answer;
    bool m_looked = false;
    QTimer m_poll;
};

} // namespace

class tst_FileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startsInTheFolderOfItsKind_data();
    void startsInTheFolderOfItsKind();
    void remembersTheLastFolderPerKind();
    void cancelledDialogRemembersNothing();
    void removedFolderFallsBackToTheKindsOwn();

private:
    QString folder(const char *name) const { return m_root->filePath(QString::fromLatin1(name)); }
    QString makeFile(const char *folderName, const char *name) const
    {
        const QString path = QDir(folder(folderName)).filePath(QString::fromLatin1(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("x", 1) != 1)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_root;
};

void tst_FileDialogs::init()
{
    // The documents and downloads folders of a user of our own.
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    for (const char *name : {"config", "Docs", "Loads", "other", "home", "work"})
        QVERIFY(QDir().mkpath(folder(name)));
    QFile dirs(QDir(folder("config")).filePath(u"user-dirs.dirs"_s));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    const QByteArray text = "XDG_DOCUMENTS_DIR=\"" + folder("Docs").toUtf8() + "\"\n"
                            "XDG_DOWNLOAD_DIR=\"" + folder("Loads").toUtf8() + "\"\n";
    QCOMPARE(dirs.write(text), text.size());
    dirs.close();
    qputenv("XDG_CONFIG_HOME", folder("config").toLocal8Bit());
    qputenv("HOME", folder("home").toLocal8Bit());
    // Not the process's working folder, which the dialogs once started in.
    QVERIFY(QDir::setCurrent(folder("work")));
}

void tst_FileDialogs::startsInTheFolderOfItsKind_data()
{
    QTest::addColumn<FileUse>("use");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("open a page") << FileUse::Documents << false << QString() << "Docs" << "";
    QTest::newRow("save a page, its name offered")
        << FileUse::Documents << true << u"Title.htm"_s << "Docs" << "Title.htm";
    QTest::newRow("sessions") << FileUse::Sessions << true << QString() << "Docs" << "";
    QTest::newRow("uploads") << FileUse::Uploads << false << QString() << "Docs" << "";
    QTest::newRow("downloads") << FileUse::Downloads << true << u"file.pdf"_s << "Loads"
                               << "file.pdf";
}

void tst_FileDialogs::startsInTheFolderOfItsKind()
{
    QFETCH(FileUse, use);
    QFETCH(bool, save);
    QFETCH(QString, dir);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QtDialogs dialogs;
    DialogRun run{QString()};
    if (save)
        dialogs.saveFile(nullptr, u"t"_s, u"All|*.*"_s, dir, use);
    else
        dialogs.openFile(nullptr, u"t"_s, u"All|*.*"_s, dir, use);
    QVERIFY(run.answered);
    QCOMPARE(run.seen.folder, this->folder(folder.toLatin1().constData()));
    QCOMPARE(run.seen.name, name);
}

void tst_FileDialogs::remembersTheLastFolderPerKind()
{
    QtDialogs dialogs;
    const QString chosen = makeFile("other", "a.htm");
    {
        DialogRun run{chosen};
        QCOMPARE(dialogs.openFile(nullptr, u"t"_s, u"All|*.*"_s, {}), chosen);
    }
    // Saving a page is of the same kind as opening one.
    {
        DialogRun run{QString()};
        dialogs.saveFile(nullptr, u"t"_s, u"All|*.*"_s, u"b.htm"_s);
        QCOMPARE(run.seen.folder, folder("other"));
        QCOMPARE(run.seen.name, u"b.htm"_s);
    }
    // Other kinds keep their own folders.
    {
        DialogRun run{QString()};
        dialogs.openFile(nullptr, u"t"_s, u"All|*.*"_s, {}, FileUse::Sessions);
        QCOMPARE(run.seen.folder, folder("Docs"));
    }
    {
        DialogRun run{QString()};
        dialogs.saveFile(nullptr, u"t"_s, u"All|*.*"_s, QDir(folder("Loads")).filePath(u"f.zip"_s),
                         FileUse::Downloads);
        QCOMPARE(run.seen.folder, folder("Loads"));
    }
    // A download saved elsewhere: the next download starts there, though the
    // caller offers the downloads folder.
    const QString saved = QDir(folder("other")).filePath(u"g.zip"_s);
    {
        DialogRun run{saved};
        QCOMPARE(dialogs.saveFile(nullptr, u"t"_s, u"All|*.*"_s,
                                  QDir(folder("Loads")).filePath(u"g.zip"_s), FileUse::Downloads),
                 saved);
    }
    {
        DialogRun run{QString()};
        dialogs.saveFile(nullptr, u"t"_s, u"All|*.*"_s, QDir(folder("Loads")).filePath(u"h.zip"_s),
                         FileUse::Downloads);
        QCOMPARE(run.seen.folder, folder("other"));
        QCOMPARE(run.seen.name, u"h.zip"_s);
    }
}

void tst_FileDialogs::cancelledDialogRemembersNothing()
{
    QtDialogs dialogs;
    {
        DialogRun run{QString()};
        QCOMPARE(dialogs.openFile(nullptr, u"t"_s, u"All|*.*"_s, folder("other")), QString());
        // A folder the caller gives is started in while the kind has none.
        QCOMPARE(run.seen.folder, folder("other"));
    }
    {
        DialogRun run{QString()};
        dialogs.openFile(nullptr, u"t"_s, u"All|*.*"_s, {});
        QCOMPARE(run.seen.folder, folder("Docs"));
    }
}

void tst_FileDialogs::removedFolderFallsBackToTheKindsOwn()
{
    QtDialogs dialogs;
    QVERIFY(QDir().mkpath(folder("gone")));
    const QString chosen = makeFile("gone", "a.btl");
    {
        DialogRun run{chosen};
        QCOMPARE(dialogs.openFile(nullptr, u"t"_s, u"All|*.*"_s, {}, FileUse::Sessions), chosen);
    }
    QVERIFY(QDir(folder("gone")).removeRecursively());
    DialogRun run{QString()};
    dialogs.openFile(nullptr, u"t"_s, u"All|*.*"_s, {}, FileUse::Sessions);
    QCOMPARE(run.seen.folder, folder("Docs"));
}

QTEST_MAIN(tst_FileDialogs)
#include "tst_filedialogs.moc"
