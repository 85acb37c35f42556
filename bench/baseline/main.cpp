// The bare engine doing the work the benchmark asks of Velmora: one window,
// a tab widget of engine views, pop-ups as tabs that become current, the same engine
// flags and the same kind of profile (named, persistent, disk cache).

#include "Services.h"

#include <QApplication>
#include <QDir>
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

int main(int argc, char *argv[])
{
    velmora::platform::prepareEngine();
    QApplication app(argc, argv);
    Window window;
    window.resize(1164, 931);
    QWebEnginePage *first = window.addTab();
    window.show();
    if (argc > 1)
        first->load(QUrl::fromUserInput(QString::fromLocal8Bit(argv[1])));
    return QApplication::exec();
}
