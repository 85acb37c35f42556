#include "Form1.h"

#include "TabstripP.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kelvane {

namespace {

// Each step may fail on its own; the next one still runs.
template<typename F>
void step(F &&f)
{
    try {
        f();
    } catch (const CallError &) {
    }
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Form1"_s);

    m_tabstrip = new TabstripP(this);
    m_tabstrip->setObjectName(u"TabstripP1"_s);
    m_tabstrip->setMinimumHeight(m_tabstrip->Tabstrip1()->sizeHint().height());
    m_text = new QLineEdit(this);
    m_text->setObjectName(u"Text1"_s);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_text);
    const auto addButton = [&](const QString &name, const QString &caption,
                               void (Form1::*handler)()) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
    };
    addButton(u"Command1"_s, u"Add"_s, &Form1::Command1_Click);
    addButton(u"Command2"_s, u"Remove"_s, &Form1::Command2_Click);
    addButton(u"Command3"_s, u"Capt + aaa"_s, &Form1::Command3_Click);
    addButton(u"Command4"_s, u"Highlight"_s, &Form1::Command4_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabstrip);
    layout->addLayout(buttons);
    layout->addStretch();
    resize(520, 120);
}

void Form1::Command1_Click()
{
    step([&] { m_tabstrip->setTabs(m_tabstrip->tabs().toInt() + 1); });
    step([&] { m_tabstrip->setTabCaption(m_tabstrip->tabs().toInt() - 1, u"about:blank"_s); });
}

void Form1::Command2_Click()
{
    const int current = m_tabstrip->value().toInt();
    step([&] { m_tabstrip->setTabVisible(current, false); });
    int next = nextVisibleTab(current);
    if (next < 0)
        return;
    step([&] { m_tabstrip->setValue(m_tabstrip->borderTab(next)); });
    step([&] { m_tabstrip->setValue(next); });
}

void Form1::Command3_Click()
{
    const QVariant number = m_text->text();
    step([&] { m_tabstrip->setTabCaption(number, m_tabstrip->tabCaption(number) + u"aaa"_s); });
}

void Form1::Command4_Click()
{
    const QVariant number = m_text->text();
    step([&] { m_tabstrip->setTabHighlited(number, !m_tabstrip->tabHighlited(number)); });
}

// The first open tab after the given one, else the nearest open tab before it.
int Form1::nextVisibleTab(int after) const
{
    const int end = m_tabstrip->tabs().toInt();
    for (int k = after + 1; k < end; ++k) {
        if (m_tabstrip->tabVisible(k))
            return k;
    }
    for (int k = std::min(after, end) - 1; k >= 0; --k) {
        if (m_tabstrip->tabVisible(k))
            return k;
    }
    return -1;
}

} // namespace kelvane
