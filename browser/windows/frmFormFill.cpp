#include "frmFormFill.h"

#include "frmMain.h"

#include "Program.h"
#include "Steps.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QListWidget>
#include <QPointer>
#include <QPushButton>

namespace velmora::windows {

frmFormFill::frmFormFill(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmFormFill"), parent)
{
    setWindowTitle(QStringLiteral("Form1"));
    resize(320, 240);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(8, 8, 304, 184);
    Command1 = new QPushButton(QStringLiteral("Command1"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(8, 200, 97, 25);
    connect(Command1, &QPushButton::clicked, this, &frmFormFill::Command1_Click);
}

void frmFormFill::Command1_Click()
{
    List1->clear();
    platform::WebDocument *document = nullptr;
    services::step([&] {
        auto &main = program().mainWindow();
        platform::WebBrowser *browser = main.web(main.Tabstrip1->value().toInt());
        if (browser && browser->hasPage())
            document = browser->Document();
    });
    parse(document);
}

void frmFormFill::parse(platform::WebDocument *document)
{
    parseAt(document, QString());
}

void frmFormFill::parseAt(platform::WebDocument *document, const QString &path)
{
    const QPointer<platform::WebDocument> guard(document);
    if (!guard)
        return;
    const int frames = guard->frameCount();
    for (int i = 0; i < frames && guard; ++i) {
        const QString at = path.isEmpty() ? QString::number(i) : path + u'.' + QString::number(i);
        parseAt(guard->frame(i), at);
    }
    if (!guard)
        return;
    const int forms = guard->formCount();
    for (int k = 0; k < forms; ++k)
        List1->addItem(path + u'#' + QString::number(k));
}

} // namespace velmora::windows
