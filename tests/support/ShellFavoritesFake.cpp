#include "ShellFavoritesFake.h"

namespace velmora::platform {

void FakeShellFavorites::AddFavorite(QWidget *owner, const QString &url, const QString &title)
{
    addCalls.append({owner, url, title});
    if (onAdd)
        onAdd(addCalls.last());
}

void FakeShellFavorites::ShowBrowserUI(QWidget *, const QString &name)
{
    browserUICalls.append(name);
    if (onBrowserUI)
        onBrowserUI(name);
}

QString FakeShellFavorites::inputBox(QWidget *, const QString &prompt, const QString &title,
                                     const QString &defaultText)
{
    const QString answer = m_inputAnswers.isEmpty() ? QString() : m_inputAnswers.dequeue();
    inputCalls.append({prompt, title, defaultText, answer});
    return answer;
}

} // namespace velmora::platform
