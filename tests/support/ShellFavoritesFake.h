#pragma once

#include "ShellFavorites.h"

#include <QList>
#include <QQueue>
#include <QStringList>

#include <functional>

namespace velmora::platform {

// Favorites of a test: the folder is whatever the test names, and every
// dialog is recorded and answered from a script.
class FakeShellFavorites final : public ShellFavorites
{
public:
    struct AddCall
    {
        QWidget *owner = nullptr;
        QString url;
        QString title;
    };
    struct InputCall
    {
        QString prompt;
        QString title;
        QString defaultText;
        QString answer;
    };

    QString favoritesFolder() override { return folder; }
    void AddFavorite(QWidget *owner, const QString &url, const QString &title) override;
    void ShowBrowserUI(QWidget *owner, const QString &name) override;
    // Answers from the queue; with none queued, the user cancels ("").
    QString inputBox(QWidget *owner, const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    void answerInput(const QString &text) { m_inputAnswers.enqueue(text); }

    QString folder = defaultFavoritesFolder();
    // Run while the add or organise dialog would be open.
    std::function<void(const AddCall &)> onAdd;
    std::function<void(const QString &name)> onBrowserUI;

    QList<AddCall> addCalls;
    QStringList browserUICalls;
    QList<InputCall> inputCalls;

private:
    QQueue<QString> m_inputAnswers;
};

} // namespace velmora::platform
