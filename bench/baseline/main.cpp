// The bare engine doing the work the benchmark asks of Velmora: one window,
// a tab widget of engine views, pop-ups as tabs that become current, the same engine
// flags and the same kind of profile (named, persistent, disk cache).

#include "EngineSetup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QShortcut>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTabWidget>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

class Window : public QMainWindow
{
public:
    Window()
    {
        QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (dataHome.isEmpty())
            dataHome = QDir::homePath() + QStringLiteral("/.local/share");
        const QString root = QDir(dataHome).filePath(QStringLiteral("olk_Browser"));
        QDir().mkpath(root);
        m_profile = new QWebEngineProfile(QStringLiteral("olk_Browser"), this);
        m_profile->setPersistentStoragePath(root);
        m_profile->setCachePath(QDir(root).filePath(QStringLiteral("cache")));
        m_profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);

        m_tabs = new QTabWidget(this);
        m_tabs->setDocumentMode(true);
        setCentralWidget(m_tabs);
        connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
            setWindowTitle(index >= 0 ? m_tabs->tabText(index) : QString());
        });
    }

    ~Window() override
    {
        // Pages go before their profile.
        while (m_tabs->count() > 0) {
            QWidget *view = m_tabs->widget(0);
            m_tabs->removeTab(0);
            delete view;
        }
    }

    QWebEnginePage *addTab()
    {
        auto *view = new QWebEngineView(m_tabs);
        auto *page = new QWebEnginePage(m_profile, view);
        view->setPage(page);
        const int index = m_tabs->addTab(view, QStringLiteral("about:blank"));
        Q_UNUSED(index);
        connect(page, &QWebEnginePage::titleChanged, this, [this, view](const QString &title) {
            const int at = m_tabs->indexOf(view);
            if (at < 0)
                return;
            m_tabs->setTabText(at, title.left(20));
            if (at == m_tabs->currentIndex())
                setWindowTitle(title);
        });
        connect(page, &QWebEnginePage::newWindowRequested, this,
                [this](QWebEngineNewWindowRequest &request) {
                    // A new window becomes the current tab, as Velmora's default is.
                    QWebEnginePage *page = addTab();
                    m_tabs->setCurrentIndex(m_tabs->count() - 1);
                    request.openIn(page);
                });
        connect(page, &QWebEnginePage::windowCloseRequested, this, [this, view] {
            const int at = m_tabs->indexOf(view);
            if (at < 0 || m_tabs->count() < 2)
                return;
            m_tabs->removeTab(at);
            view->deleteLater();
        });
        return page;
    }

private:
    QWebEngineProfile *m_profile;
    QTabWidget *m_tabs;
};

} // namespace

//   velmora-baseline [--list FILE] [ADDRESS]
// With --list, F9 opens every address of FILE (one a line) in a tab of its own.
int main(int argc, char *argv[])
{
    velmora::platform::prepareEngine();
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    QString list;
    if (args.size() > 1 && args.first() == QStringLiteral("--list")) {
        list = args.at(1);
        args = args.mid(2);
    }
    Window window;
    window.resize(1164, 931);
    QWebEnginePage *first = window.addTab();
    window.show();
    if (!list.isEmpty()) {
        auto *open = new QShortcut(QKeySequence(Qt::Key_F9), &window);
        QObject::connect(open, &QShortcut::activated, &window, [&window, list] {
            QFile file(list);
            if (!file.open(QIODevice::ReadOnly))
                return;
            const QList<QByteArray> lines = file.readAll().split('\n');
            for (const QByteArray &line : lines) {
                const QByteArray address = line.trimmed();
                if (!address.isEmpty())
                    window.addTab()->load(QUrl(QString::fromLatin1(address)));
            }
        });
    }
    if (!args.isEmpty())
        first->load(QUrl::fromUserInput(args.first()));
    return QApplication::exec();
}
