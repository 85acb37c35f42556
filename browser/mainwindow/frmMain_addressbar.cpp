// The address bar: typed text, error-page wrappers, hot words and the go
// operation. The suggestion list under it is in frmMain_suggestions.cpp.
#include "frmMain.h"

#include "MouseCodes.h"
#include "Language.h"
#include "Program.h"
#include "ShownAddress.h"
#include "UserAddress.h"
#include "Steps.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <stdexcept>

namespace velmora::mainwindow {

using services::step;

namespace {

constexpr int keyEnter = 13;
constexpr int keyEscape = 27;
constexpr int keyUp = 38;
constexpr int keyDown = 40;

const QString blankPage = QStringLiteral("about:blank");

// The platform browser shows its own error and notice pages under
// "res://" + system directory + one of these + the address asked for.
const char16_t *const errorPageSuffixes[] = {
    u"\\SHDOCLC.DLL/dnserror.htm#", u"\\shdoclc.dll/dnserror.htm#",
    u"\\SHDOCLC.DLL/navcancl.htm#", u"\\shdoclc.dll/navcancl.htm#",
    u"\\SHDOCLC.DLL/offcancl.htm#", u"\\shdoclc.dll/offcancl.htm#",
    u"\\MSHTML.DLL/repost.htm#",    u"\\mshtml.dll/repost.htm#",
    u"\\MSHTML.DLL/about.moz#",     u"\\mshtml.dll/about.moz#",
};

const QString &rowOf(const QStringList &list, int index)
{
    if (index < 0 || index >= list.size())
        throw std::out_of_range("hot-word row");
    return list.at(index);
}

QString &newUrlOf(std::array<QString, frmMain::MaxTab + 1> &urls, int tab)
{
    if (tab < 0 || tab > frmMain::MaxTab)
        throw std::out_of_range("tab number");
    return urls[static_cast<size_t>(tab)];
}

} // namespace

// Keys, focus and clicks of the address bar and the suggestion list. It is
// not the window's own filter so the window's parts stay apart; it does
// nothing once the window is being destroyed.
class frmMain::AddressBarEvents : public QObject
{
public:
    explicit AddressBarEvents(frmMain *main) : QObject(main) {}

    frmMain *live() const { return qobject_cast<frmMain *>(parent()); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        frmMain *w = live();
        if (!w || m_forwarding)
            return QObject::eventFilter(watched, event);
        if (watched == w->Combo1)
            return comboEvent(w, event);
        if (watched == w->podskazka)
            return listEvent(w, event);
        if (watched == w->lblGo && event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            w->lblGo_Click();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // The combo box's own popup and the window's menus take and give back
    // the focus; that is not the address bar losing it.
    static bool ownPopup(QEvent *event)
    {
        return menuBorrowsFocus(static_cast<QFocusEvent *>(event)->reason());
    }

    bool comboEvent(frmMain *w, QEvent *event)
    {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (!ownPopup(event))
                w->Combo1_GotFocus();
            return false;
        case QEvent::FocusOut: {
            if (!ownPopup(event))
                w->Combo1_LostFocus();
            // The box reports leaving it with a text equal to a history row
            // as a pick of that row; leaving is no pick.
            m_leaving = true;
            m_forwarding = true;
            QCoreApplication::sendEvent(w->Combo1, event);
            m_forwarding = false;
            m_leaving = false;
            return true;
        }
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            const int code = keyCodeOf(key->key());
            // Enter and Escape end what was typed (go, Escape).
            w->m_addressTyped = code != keyEnter && code != keyEscape;
            w->Combo1_KeyDown(code, services::shiftCode(key->modifiers()));
            // Enter is fully handled here: the box would otherwise pick the
            // matching history row and go a second time.
            if (code == keyEnter || code == keyEscape)
                return true;
            // The focus went down into the suggestions: the box must not
            // step through its own list as well.
            if ((code == keyUp || code == keyDown) && w->hintListShown())
                return true;
            return false;
        }
        default:
            return false;
        }
    }

    bool listEvent(frmMain *w, QEvent *event)
    {
        switch (event->type()) {
        case QEvent::FocusIn:
            w->podskazka_GotFocus();
            return false;
        case QEvent::FocusOut:
            w->podskazka_LostFocus();
            return false;
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            const int code = keyCodeOf(key->key());
            const int index = w->hintListIndex();
            const int last = w->podskazka->count() - 1;
            const bool leaving =
                (code == keyDown && index == last) || (code == keyUp && index == 0);
            w->podskazka_KeyDown(code, services::shiftCode(key->modifiers()));
            if ((code == keyUp || code == keyDown) && !leaving) {
                // With nothing selected the walk starts at the first item,
                // not after the list's unselected current row.
                if (index < 0 && w->podskazka->count() > 0) {
                    w->setHintListIndex(0);
                    return true;
                }
                return false; // the list moves its selection itself
            }
            if (code != keyUp && code != keyDown && code != keyEnter && code != keyEscape)
                typeIntoAddress(w, key);
            return true;
        }
        default:
            return false;
        }
    }

    // A key that sent the focus back to the address bar is typed there, so
    // the user's letter is not lost.
    void typeIntoAddress(frmMain *w, QKeyEvent *key)
    {
        QLineEdit *edit = w->Combo1->lineEdit();
        if (!edit)
            return;
        w->m_addressTyped = true;
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(),
                       key->isAutoRepeat(), static_cast<ushort>(key->count()));
        m_forwarding = true;
        QCoreApplication::sendEvent(edit, &copy);
        m_forwarding = false;
    }

    bool m_forwarding = false;

public:
    bool m_leaving = false;
};

int frmMain::keyCodeOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return keyEnter;
    case Qt::Key_Escape:
        return keyEscape;
    case Qt::Key_Up:
        return keyUp;
    case Qt::Key_Down:
        return keyDown;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Menu:
        return 93;
    default:
        // Any other key only needs to differ from the keys above.
        return qtKey;
    }
}

void frmMain::connectAddressBar()
{
    m_addressBarEvents = new AddressBarEvents(this);
    AddressBarEvents *events = m_addressBarEvents;
    // The address bar offers history rows through the suggestion list only;
    // the box's own completion would rewrite the typed text.
    Combo1->setCompleter(nullptr);
    // What is shown is what is opened: a long address is not cut.
    if (QLineEdit *edit = Combo1->lineEdit())
        edit->setMaxLength(MaxAddressLength);
    podskazka->setUniformItemSizes(true);
    for (QObject *watched : {static_cast<QObject *>(Combo1), static_cast<QObject *>(podskazka),
                             static_cast<QObject *>(lblGo)})
        watched->installEventFilter(events);

    // Every change of the text counts, typed or set by the window itself:
    // hot words and wrappers are cleaned by the change the code makes.
    connect(Combo1, &QComboBox::editTextChanged, events, [events](const QString &) {
        if (frmMain *w = events->live())
            w->Combo1_Change();
    });
    connect(Combo1, &QComboBox::activated, events, [events](int) {
        if (frmMain *w = events->live(); w && !events->m_leaving)
            w->Combo1_Click();
    });
    connect(cmdGo, &QPushButton::clicked, events, [events] {
        if (frmMain *w = events->live())
            w->cmdGo_Click();
    });
    // A selection moved by a key or by code counts as a click, as does a
    // click on the item already selected.
    connect(podskazka, &QListWidget::itemSelectionChanged, events, [events] {
        if (frmMain *w = events->live())
            w->podskazka_Click();
    });
    connect(podskazka, &QListWidget::itemClicked, events, [events](QListWidgetItem *) {
        if (frmMain *w = events->live())
            w->podskazka_Click();
    });
    connect(podskazka, &QListWidget::itemDoubleClicked, events, [events](QListWidgetItem *) {
        if (frmMain *w = events->live())
            w->podskazka_DblClick();
    });
}

QString frmMain::addressText() const
{
    return Combo1->currentText();
}

// Raises the change handling at once when the text differs.
void frmMain::setAddressText(const QString &text)
{
    Combo1->setEditText(text);
}

void frmMain::putCaretAtEnd()
{
    if (QLineEdit *edit = Combo1->lineEdit()) {
        edit->deselect();
        edit->setCursorPosition(edit->text().size());
    }
}

// ---------------------------------------------------------------- text change

void frmMain::Combo1_Change()
{
    // A chain of hot words counts from the outermost change.
    if (m_changeDepth++ == 0)
        m_hotWordSubstitutions = 0;

    step([&] { addressEdited = true; });
    step([&] {
        if (hintListShown())
            chang_Timer();
    });
    step([&] {
        if (rearmHint) {
            if (!chang->isActive())
                chang->start();
            rearmHint = false;
        }
    });
    removeErrorPageWrappers();
    replaceHotWord();
    step([&] { newUrlOf(newURL, currentTabNumber()) = addressText(); });

    --m_changeDepth;
}

QString frmMain::withoutErrorPageWrappers(const QString &text, const QString &systemDir)
{
    QString out = text;
    for (const char16_t *suffix : errorPageSuffixes)
        out.remove(QStringLiteral("res://") + systemDir + QString::fromUtf16(suffix),
                   Qt::CaseSensitive);
    return out;
}

void frmMain::removeErrorPageWrappers()
{
    for (const char16_t *suffix : errorPageSuffixes) {
        step([&] {
            const QString pattern =
                QStringLiteral("res://") + systemDir + QString::fromUtf16(suffix);
            const QString text = addressText();
            if (text.contains(pattern, Qt::CaseSensitive))
                setAddressText(QString(text).remove(pattern, Qt::CaseSensitive));
        });
    }
}

void frmMain::replaceHotWord()
{
    step([&] {
        const int n = m_program.hwCount;
        for (int r = 1; r <= n; ++r) {
            bool matched = false;
            step([&] {
                if (addressText() != rowOf(m_program.hotWords, r - 1))
                    return;
                matched = true;
                // A word whose address leads back to it would recurse for ever.
                if (m_hotWordSubstitutions >= MaxHotWordChain)
                    return;
                ++m_hotWordSubstitutions;
                setAddressText(rowOf(m_program.hotUrls, r - 1));
                putCaretAtEnd();
            });
            if (matched)
                break;
        }
    });
}

// ---------------------------------------------------------------- keys

void frmMain::Combo1_KeyDown(int KeyCode, int /*Shift*/)
{
    if (KeyCode == keyEnter) {
        step([&] { chang->stop(); });
        step([&] { podskazka->hide(); });
        hintRebuild = false;
        addressEdited = false;
        step([&] { cmdGo_Click(); });
    }
    if (KeyCode == keyEscape) {
        step([&] { chang->stop(); });
        step([&] { podskazka->hide(); });
        hintRebuild = false;
        addressEdited = false;
        step([&] {
            const int tab = currentTabNumber();
            platform::WebBrowser *browser = web(tab);
            if (!browser)
                throw std::runtime_error("no browser control");
            newUrlOf(newURL, tab) = services::shownAddress(browser->LocationURL());
        });
        step([&] { setAddressText(newUrlOf(newURL, currentTabNumber())); });
        step([&] { putCaretAtEnd(); });
    }
    if (KeyCode == keyDown && hintListShown()) {
        hintRebuild = false;
        typedBeforeHint = addressText();
        step([&] { podskazka->setFocus(Qt::OtherFocusReason); });
        step([&] { setHintListIndex(0); });
        suppressComboClick = true;
        hintPicking = true;
        // The list took the focus before its first item was chosen; the
        // highlighted item is what the address bar holds and Enter opens.
        step([&] { copyHintToAddress(); });
    }
    if (hintListShown() && KeyCode != keyDown && KeyCode != keyUp && KeyCode != keyEnter)
        hintRebuild = true;
    if (KeyCode == keyUp && hintListShown()) {
        hintRebuild = false;
        suppressComboClick = true;
        step([&] { podskazka->setFocus(Qt::OtherFocusReason); });
        step([&] { setHintListIndex(0); });
        step([&] { setHintListIndex(podskazka->count() - 1); });
        step([&] {
            const QListWidgetItem *item = podskazka->item(podskazka->count() - 1);
            if (item)
                setAddressText(item->text());
        });
        hintPicking = true;
    }
    rearmHint = true;
}

// ---------------------------------------------------------------- go

void frmMain::cmdGo_Click()
{
    m_addressTyped = false;
    step([&] { chang->stop(); });
    hintRebuild = false;
    addressEdited = false;
    step([&] { podskazka->hide(); });

    const auto current = [this] {
        platform::WebBrowser *browser = web(currentTabNumber());
        if (!browser)
            throw std::runtime_error("no browser control");
        return browser;
    };
    // A text that names no page opens nothing: the user is told so and
    // keeps the text to mend it.
    if (const QString text = addressText();
        !text.isEmpty() && !platform::addressFromUserText(text).isValid()) {
        const QString shown = text.size() > 60 ? text.left(60) + u'\u2026' : text;
        if (!unloading) {
            statusPanel1->setText(m_program.language().own(
                u"«" + shown + u"» — не адрес страницы: ничего не открыто.",
                u"\u201C" + shown + u"\u201D is no page address: nothing was opened."));
            // It goes with the tab's next page, as a page's own text does.
            m_pageStatusText = statusPanel1->text();
        }
        step([&] {
            if (QLineEdit *edit = Combo1->lineEdit())
                edit->setSelection(0, edit->text().size());
        });
        return;
    }
    step([&] { current()->Stop(); });
    step([&] {
        const QString text = addressText();
        platform::WebBrowser *browser = current();
        if (text.isEmpty()) {
            browser->Navigate2(blankPage);
        } else {
            browser->setSilent(true);
            browser->setSilent(false);
            browser->Navigate2(text);
        }
    });
    step([&] { current()->SetFocus(); });
    step([&] {
        if (QLineEdit *edit = Combo1->lineEdit())
            edit->setSelection(0, edit->text().size());
    });
}

void frmMain::lblGo_Click()
{
    cmdGo_Click();
}

void frmMain::Combo1_Click()
{
    if (suppressComboClick)
        return;
    step([&] {
        const QString text = addressText();
        if (text.isEmpty())
            return;
        platform::WebBrowser *browser = web(currentTabNumber());
        if (!browser)
            throw std::runtime_error("no browser control");
        // The picked row is what was asked for; the page's address follows.
        m_addressTyped = false;
        browser->Navigate2(text);
    });
}

void frmMain::Combo1_GotFocus()
{
    FocusOwner = 1;
    // A request made before the user came here is not to take the keys.
    pageFocusPending = false;
}

void frmMain::Combo1_LostFocus()
{
    FocusOwner = 3;
}

} // namespace velmora::mainwindow
