#pragma once

#include <QObject>
#include <QString>

namespace velmora::platform {

// A notification a page was allowed to show. The host shows it to the user
// and reports back what became of it: shown, clicked, closed. Each report
// reaches the page at most once and in that order (a click only while shown).
class WebNotification : public QObject
{
    Q_OBJECT
public:
    struct Texts
    {
        QString site; // the page's host, with a port that is not the default
        QString title;
        QString message;
        QString tag; // a later notification of the same site and tag replaces it
    };

    WebNotification(Texts texts, QObject *parent)
        : QObject(parent)
        , m_texts(std::move(texts))
    {}

    QString site() const { return m_texts.site; }
    QString title() const { return m_texts.title; }
    QString message() const { return m_texts.message; }
    QString tag() const { return m_texts.tag; }
    bool isShown() const { return m_shown; }
    bool isClosed() const { return m_closed; }

    void show()
    {
        if (m_shown || m_closed)
            return;
        m_shown = true;
        pageShown();
    }
    void click()
    {
        if (m_shown && !m_closed)
            pageClicked();
    }
    void close()
    {
        if (!m_shown || m_closed)
            return;
        m_closed = true;
        pageClosed();
    }

signals:
    // The page took the notification back: the host removes it unreported.
    void withdrawn();

protected:
    // The page withdrew it: nothing more is reported to it.
    void markWithdrawn()
    {
        m_closed = true;
        emit withdrawn();
    }
    virtual void pageShown() = 0;
    virtual void pageClicked() = 0;
    virtual void pageClosed() = 0;

private:
    Texts m_texts;
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace velmora::platform
