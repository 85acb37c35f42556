#include "frmOptions.h"

#include "TextFit.h"
#include "OptionsHelp.h"
#include "frmHW.h"
#include "frmMain.h"
#include "frmRemove.h"
#include "Twips.h"

#include "Language.h"
#include "OneValueFiles.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "WebBrowser.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWhatsThis>

#include <utility>

namespace velmora::windows {

using services::step;

namespace {

QString helpTip()
{
    return QStringLiteral("Для справки нажмите кнопку «?» внизу слева этого окна или клавиши "
                          "Shift+F1, затем щёлкните по непонятному элементу.");
}

// Client area of the window, twips.
constexpr int FormWidth = 6240;
constexpr int FormHeight = 5535;

template<typename W>
W *makeControl(QWidget *parent, const char *name, const QString &text)
{
    auto *w = new W(text, parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = makeControl<QLabel>(parent, name, text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QGroupBox *makeFrame(QWidget *parent, const char *name)
{
    auto *frame = new QGroupBox(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFlat(true);
    return frame;
}

} // namespace

frmOptions::frmOptions(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmOptions"), parent)
{
    setWindowTitle(QStringLiteral("Настройки"));
    setWindowFlag(Qt::WindowContextHelpButtonHint);
    createControls();
    connectControls();
    // The window's own load, as the first reference to it runs it.
    load(false);
}

void frmOptions::createControls()
{
    const int t = program().system().twipsPerPixelX();
    auto place = [t](QWidget *w, double left, double top, double width, double height) {
        mainwindow::setTwipsGeometry(w, {left, top, width, height}, t);
    };

    lblRemove = makeLabel(this, "lblRemove",
                          QStringLiteral("Вы можете удалить адреса веб страниц, которые "
                                         "автоматически попали в меню адрес, в результате "
                                         "посещения их в Velmora."));
    place(lblRemove, 120, 120, 6000, 495);
    cmdRemove = makeControl<QPushButton>(this, "cmdRemove", QStringLiteral("Удалить"));
    place(cmdRemove, 2160, 720, 1935, 375);

    lblHW = makeLabel(this, "lblHW",
                      QStringLiteral("Тут Вы можете поменять горячие слова для автозамены."));
    place(lblHW, 120, 1200, 6000, 255);
    cmdSetHW = makeControl<QPushButton>(this, "cmdSetHW",
                                        QStringLiteral("Настроить автозамену (горячие слова)"));
    place(cmdSetHW, 1320, 1500, 3615, 375);

    lblNW = makeLabel(this, "lblNW",
                      QStringLiteral("Переходить на вкладку при открытии страницы в новом окне:"));
    place(lblNW, 120, 2010, 4335, 390);
    Frame1 = makeFrame(this, "Frame1");
    place(Frame1, 4560, 1950, 1560, 450);
    Option2 = makeControl<QRadioButton>(Frame1, "Option2", QStringLiteral("Да"));
    place(Option2, 120, 150, 615, 255);
    Option1 = makeControl<QRadioButton>(Frame1, "Option1", QStringLiteral("Нет"));
    place(Option1, 780, 150, 720, 255);

    lblConfExit = makeLabel(this, "lblConfExit",
                            QStringLiteral("Запрашивать подтверждение при выходе:"));
    place(lblConfExit, 120, 2580, 4335, 255);
    Frame2 = makeFrame(this, "Frame2");
    place(Frame2, 4560, 2490, 1560, 450);
    Option3 = makeControl<QRadioButton>(Frame2, "Option3", QStringLiteral("Да"));
    place(Option3, 120, 150, 615, 255);
    Option4 = makeControl<QRadioButton>(Frame2, "Option4", QStringLiteral("Нет"));
    place(Option4, 780, 150, 720, 255);

    lblSaveMode = makeLabel(this, "lblSaveMode", QStringLiteral("Режим сохранения адресов"));
    place(lblSaveMode, 120, 3030, 6000, 255);
    Frame3 = makeFrame(this, "Frame3");
    place(Frame3, 120, 3270, 6000, 450);
    Option5 = makeControl<QRadioButton>(Frame3, "Option5", QStringLiteral("Стандартный режим"));
    place(Option5, 120, 150, 2040, 255);
    Option6 = makeControl<QRadioButton>(Frame3, "Option6",
                                        QStringLiteral("Режим сохранения любимых адресов"));
    place(Option6, 2280, 150, 3600, 255);

    lblHomePage = makeLabel(this, "lblHomePage", QStringLiteral("Домашняя страница:"));
    place(lblHomePage, 120, 3840, 6000, 255);
    txtHUrl = new QLineEdit(this);
    txtHUrl->setObjectName(QStringLiteral("txtHUrl"));
    place(txtHUrl, 120, 4095, 6000, 315);
    cmdBlank = makeControl<QPushButton>(this, "cmdBlank", QStringLiteral("Пустая"));
    place(cmdBlank, 1920, 4500, 1335, 375);
    cmdCurrent = makeControl<QPushButton>(this, "cmdCurrent", QStringLiteral("Текущая"));
    place(cmdCurrent, 3330, 4500, 1335, 375);
    cmdReset = makeControl<QPushButton>(this, "cmdReset", QStringLiteral("Сброс"));
    place(cmdReset, 4785, 4500, 1335, 375);

    cmdOk = makeControl<QPushButton>(this, "cmdOk", QStringLiteral("OK"));
    place(cmdOk, 1920, 5040, 1335, 375);
    cmdApply = makeControl<QPushButton>(this, "cmdApply", QStringLiteral("Применить"));
    place(cmdApply, 3330, 5040, 1335, 375);
    cmdCancel = makeControl<QPushButton>(this, "cmdCancel", QStringLiteral("Отмена"));
    place(cmdCancel, 4785, 5040, 1335, 375);
    cmdOk->setDefault(true);

    // The title bars here have no help button: the window has its own, at
    // the free left end of the OK row, and Shift+F1.
    QAction *whatsThis = QWhatsThis::createAction(this);
    whatsThis->setObjectName(QStringLiteral("actWhatsThis"));
    addAction(whatsThis);
    cmdWhatsThis = new QToolButton(this);
    cmdWhatsThis->setObjectName(QStringLiteral("cmdWhatsThis"));
    cmdWhatsThis->setText(QStringLiteral("?"));
    place(cmdWhatsThis, 120, 5040, 375, 375);
    connect(cmdWhatsThis, &QToolButton::clicked, whatsThis, &QAction::trigger);
    cmdWhatsThis->setToolTip(whatsThis->text().remove(QLatin1Char('&')));

    setFixedSize(mainwindow::twipsToPixels(FormWidth, t), mainwindow::twipsToPixels(FormHeight, t));

    m_controls = {lblRemove, cmdRemove, lblHW,   cmdSetHW,    lblNW,    Frame1,
                  Option2,   Option1,   lblConfExit, Frame2,  Option3,  Option4,
                  lblSaveMode, Frame3,  Option5, Option6,     lblHomePage, txtHUrl,
                  cmdBlank,  cmdCurrent, cmdReset, cmdOk,     cmdApply, cmdCancel};
    for (QWidget *control : std::as_const(m_controls)) {
        if (control != Option1 && control != Option2)
            m_tipped.append(control);
    }
    for (QWidget *control : std::as_const(m_tipped))
        control->setToolTip(helpTip());
}

void frmOptions::connectControls()
{
    const QList<QRadioButton *> options = {Option1, Option2, Option3, Option4, Option5, Option6};
    for (int i = 0; i < options.size(); ++i) {
        QRadioButton *option = options[i];
        const int index = i + 1;
        // A click on the selected button counts as well as one from code.
        connect(option, &QRadioButton::clicked, this, [this, index] { Option_Click(index); });
        connect(option, &QRadioButton::toggled, this, [this, index](bool on) {
            if (on)
                Option_Click(index);
        });
    }
    connect(txtHUrl, &QLineEdit::textChanged, this, [this] { txtHUrl_Change(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdBlank, &QPushButton::clicked, this, [this] { cmdBlank_Click(); });
    connect(cmdCurrent, &QPushButton::clicked, this, [this] { cmdCurrent_Click(); });
    connect(cmdReset, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
    connect(cmdSetHW, &QPushButton::clicked, this, [this] { cmdSetHW_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
}

void frmOptions::Form_Load()
{
    load(true);
}

void frmOptions::load(bool mayYield)
{
    services::Language &lang = program().language();
    services::OneValueFiles &files = program().files();
    const QString dir = program().folder().path();

    if (!manual) {
        step([&] {
            const QString language = program().settings().GetSetting(
                QStringLiteral("general"), QStringLiteral("language"),
                lang.getDefaultLanguage(dir));
            lang.applyLanguage(dir, language, services::Language::OptionsWindow, this);
        });
    }
    if (mayYield)
        QCoreApplication::processEvents();
    step([&] { txtHUrl->setText(files.getHomePage()); });

    // Each stored flag selects its yes or no button and sets its public flag.
    auto show = [](bool stored, QRadioButton *yes, QRadioButton *no, bool &flag) {
        (stored ? yes : no)->setChecked(true);
        flag = stored;
    };
    step([&] { show(files.getNewWindowMode(), Option2, Option1, program().optionFlags.opNW); });
    step([&] { show(files.getExitFlag(), Option3, Option4, program().optionFlags.conExit); });
    step([&] { show(files.getMode(), Option5, Option6, program().optionFlags.save_mode); });
    // Selecting the buttons enabled it.
    cmdApply->setEnabled(false);

    if (!manual) {
        // Added on the first load only, so it is never there twice.
        step([&] {
            const QString more = lang.langText(29);
            if (!more.isEmpty())
                lblRemove->setText(lblRemove->text() + u'\n' + more);
        });
    }
    step([&] { setHelpTips(); });
    step([&] { setOptionsWhatsThis(*this, program().language()); });
    step([&] { services::fitTexts(this); });
}

void frmOptions::setHelpTips()
{
    const QString tip = program().language().langText(38);
    for (QWidget *control : std::as_const(m_controls))
        control->setProperty("tooltip", tip);
    // The controls that carry the help tip show it in the window's language.
    if (tip.isEmpty())
        return;
    for (QWidget *control : std::as_const(m_tipped))
        control->setToolTip(tip);
}

void frmOptions::cmdApply_Click()
{
    services::OneValueFiles &files = program().files();
    Program::OptionFlags &flags = program().optionFlags;
    step([&] { files.setHomePage(txtHUrl->text()); });
    step([&] {
        if (Option1->isChecked()) {
            files.setNewWindowMode(false);
            flags.opNW = false;
        } else if (Option2->isChecked()) {
            files.setNewWindowMode(true);
            flags.opNW = true;
        }
    });
    step([&] {
        if (Option3->isChecked()) {
            files.setExitFlag(true);
            flags.conExit = true;
        } else if (Option4->isChecked()) {
            files.setExitFlag(false);
            flags.conExit = false;
        }
    });
    step([&] {
        if (Option5->isChecked()) {
            files.setMode(true);
            flags.save_mode = true;
        } else if (Option6->isChecked()) {
            files.setMode(false);
            flags.save_mode = false;
        }
    });
    cmdApply->setEnabled(false);
}

void frmOptions::cmdOk_Click()
{
    cmdApply_Click();
    hide();
}

void frmOptions::cmdCancel_Click()
{
    hide();
}

void frmOptions::cmdBlank_Click()
{
    txtHUrl->setText(QStringLiteral("about:blank"));
}

void frmOptions::cmdCurrent_Click()
{
    step([&] {
        mainwindow::frmMain &main = program().mainWindow();
        platform::WebBrowser *browser = main.web(main.currentTabNumber());
        if (!browser)
            throw services::RuntimeError(91, "the current tab has no browser");
        txtHUrl->setText(browser->LocationURL());
    });
}

void frmOptions::cmdReset_Click()
{
    step([&] { txtHUrl->setText(program().files().getHomePage()); });
}

void frmOptions::cmdSetHW_Click()
{
    step([&] {
        frmHW &hotWords = program().window<frmHW>();
        hotWords.nstup = true;
        hotWords.show();
        hotWords.Form_Load();
    });
}

void frmOptions::cmdRemove_Click()
{
    frmRemove *editor = nullptr;
    step([&] { editor = &program().window<frmRemove>(); });
    if (!editor)
        return;
    step([&] { editor->hide(); });
    editor->manual = true;
    step([&] { editor->Form_Load(); });
    step([&] {
        editor->show();
        editor->raise();
        editor->activateWindow();
    });
}

void frmOptions::Option_Click(int)
{
    cmdApply->setEnabled(true);
}

void frmOptions::txtHUrl_Change()
{
    cmdApply->setEnabled(true);
}

bool frmOptions::Form_QueryUnload()
{
    if (MU)
        return true;
    cmdApply->setEnabled(false);
    return false;
}

} // namespace velmora::windows
