#include "frmInternetOptions.h"

#include "Program.h"

#include "Language.h"
#include "ProxySetting.h"
#include "SettingsStore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace velmora::windows {

using platform::ProxyChoice;

frmInternetOptions::frmInternetOptions(Program &program, QWidget *parent)
    : QDialog(parent)
    , m_program(program)
{
    const services::Language &lang = program.language();
    setObjectName(u"frmInternetOptions"_s);
    setWindowTitle(lang.own(u"Свойства обозревателя", u"Internet options"));
    auto *layout = new QVBoxLayout(this);

    auto *data = new QGroupBox(lang.own(u"Удаление данных обзора", u"Delete browsing data"), this);
    auto *dataLayout = new QVBoxLayout(data);
    chkCache = new QCheckBox(lang.own(u"Временные файлы (кэш)", u"Temporary files (cache)"), data);
    chkCookies = new QCheckBox(lang.own(u"Файлы cookie", u"Cookies"), data);
    chkHistory = new QCheckBox(lang.own(u"Журнал посещённых ссылок", u"History of visited links"),
                               data);
    chkOfflinePages = new QCheckBox(
        lang.own(u"Страницы, сохранённые для автономной работы", u"Pages kept for offline work"),
        data);
    for (QCheckBox *box : {chkCache, chkCookies, chkHistory, chkOfflinePages}) {
        dataLayout->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this] {
            lblDeleted->clear();
            updateControls();
        });
    }
    auto *deleteRow = new QHBoxLayout;
    cmdDelete = new QPushButton(lang.own(u"&Удалить", u"&Delete"), data);
    cmdDelete->setAutoDefault(false);
    lblDeleted = new QLabel(data);
    lblDeleted->setWordWrap(true);
    deleteRow->addWidget(cmdDelete);
    deleteRow->addWidget(lblDeleted, 1);
    dataLayout->addLayout(deleteRow);
    connect(cmdDelete, &QPushButton::clicked, this, &frmInternetOptions::deleteChosen);
    layout->addWidget(data);

    auto *proxy = new QGroupBox(lang.own(u"Подключение", u"Connection"), this);
    auto *proxyLayout = new QGridLayout(proxy);
    optSystem = new QRadioButton(lang.own(u"Параметры прокси-сервера системы",
                                          u"The system's proxy settings"),
                                 proxy);
    optNone = new QRadioButton(lang.own(u"Без прокси-сервера", u"No proxy"), proxy);
    optHttp = new QRadioButton(lang.own(u"Прокси-сервер HTTP", u"HTTP proxy"), proxy);
    optSocks = new QRadioButton(lang.own(u"Прокси-сервер SOCKS 5", u"SOCKS 5 proxy"), proxy);
    auto *group = new QButtonGroup(this);
    int row = 0;
    for (QRadioButton *option : {optSystem, optNone, optHttp, optSocks}) {
        group->addButton(option);
        proxyLayout->addWidget(option, row++, 0, 1, 4);
        connect(option, &QRadioButton::toggled, this, [this] { updateControls(); });
    }
    txtHost = new QLineEdit(proxy);
    txtHost->setPlaceholderText(lang.own(u"имя или адрес", u"name or address"));
    txtPort = new QSpinBox(proxy);
    txtPort->setRange(1, 65535);
    txtPort->setValue(3128);
    auto *hostLabel = new QLabel(lang.own(u"&Сервер:", u"&Server:"), proxy);
    hostLabel->setBuddy(txtHost);
    auto *portLabel = new QLabel(lang.own(u"&Порт:", u"&Port:"), proxy);
    portLabel->setBuddy(txtPort);
    proxyLayout->addWidget(hostLabel, row, 0);
    proxyLayout->addWidget(txtHost, row, 1);
    proxyLayout->addWidget(portLabel, row, 2);
    proxyLayout->addWidget(txtPort, row, 3);
    proxyLayout->setColumnStretch(1, 1);
    connect(txtHost, &QLineEdit::textChanged, this, [this] { updateControls(); });
    lblRestart = new QLabel(lang.own(u"Подключение меняется при следующем запуске Velmora: "
                                     u"движок страниц читает его только при запуске.",
                                     u"The connection changes at the next start of Velmora: the "
                                     u"page engine reads it only when it starts."),
                            proxy);
    lblRestart->setWordWrap(true);
    proxyLayout->addWidget(lblRestart, row + 1, 0, 1, 4);
    layout->addWidget(proxy);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmInternetOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    showProxy(services::readProxyChoice(m_program.settings()));
    updateControls();
}

void frmInternetOptions::showProxy(const ProxyChoice &choice)
{
    switch (choice.kind) {
    case ProxyChoice::Kind::System: optSystem->setChecked(true); break;
    case ProxyChoice::Kind::None: optNone->setChecked(true); break;
    case ProxyChoice::Kind::Http: optHttp->setChecked(true); break;
    case ProxyChoice::Kind::Socks: optSocks->setChecked(true); break;
    }
    if (choice.kind == ProxyChoice::Kind::Http || choice.kind == ProxyChoice::Kind::Socks) {
        txtHost->setText(choice.host);
        txtPort->setValue(choice.port);
    }
}

ProxyChoice frmInternetOptions::proxyChoice() const
{
    ProxyChoice choice;
    if (optNone->isChecked())
        choice.kind = ProxyChoice::Kind::None;
    else if (optHttp->isChecked())
        choice.kind = ProxyChoice::Kind::Http;
    else if (optSocks->isChecked())
        choice.kind = ProxyChoice::Kind::Socks;
    if (choice.kind == ProxyChoice::Kind::Http || choice.kind == ProxyChoice::Kind::Socks) {
        choice.host = txtHost->text().trimmed();
        choice.port = txtPort->value();
    }
    return choice;
}

void frmInternetOptions::updateControls()
{
    const bool any = chkCache->isChecked() || chkCookies->isChecked() || chkHistory->isChecked()
                     || chkOfflinePages->isChecked();
    cmdDelete->setEnabled(any);
    const bool own = optHttp->isChecked() || optSocks->isChecked();
    txtHost->setEnabled(own);
    txtPort->setEnabled(own);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(services::isUsable(proxyChoice()));
}

void frmInternetOptions::deleteChosen()
{
    platform::BrowsingDataChoice choice;
    choice.cache = chkCache->isChecked();
    choice.cookies = chkCookies->isChecked();
    choice.history = chkHistory->isChecked();
    choice.offlinePages = chkOfflinePages->isChecked();
    if (choice == platform::BrowsingDataChoice{})
        return;
    const services::Language &lang = m_program.language();
    bool done = false;
    try {
        done = m_program.browsers().clearBrowsingData(choice);
    } catch (const std::exception &) {
        done = false;
    }
    lblDeleted->setText(done ? lang.own(u"Удалено.", u"Deleted.")
                             : lang.own(u"Удалено не всё: часть файлов занята или недоступна.",
                                        u"Not all was deleted: some files are in use or out of "
                                        u"reach."));
}

void frmInternetOptions::accept()
{
    const ProxyChoice choice = proxyChoice();
    if (!services::isUsable(choice))
        return;
    if (choice != services::readProxyChoice(m_program.settings())
        && !services::saveProxyChoice(m_program.settings(), choice)) {
        lblRestart->setText(m_program.language().own(
            u"Не удалось сохранить подключение в настройках.",
            u"The connection could not be kept in the settings."));
        return;
    }
    QDialog::accept();
}

} // namespace velmora::windows
