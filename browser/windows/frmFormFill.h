#pragma once

#include "SecondaryWindow.h"

class QListWidget;
class QPushButton;

namespace velmora::platform {
class WebDocument;
}

namespace velmora::windows {

// Walks the frames and forms of the current tab's page and lists the forms
// it meets, one row each: the path of frame indexes ("" for the page itself,
// "1.0" for frame 0 of frame 1), "#" and the form's index.
class frmFormFill : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit frmFormFill(Program &program, QWidget *parent = nullptr);

    void Command1_Click();
    // Depth first, each frame once. A document out of reach ends its part of
    // the walk quietly.
    void parse(platform::WebDocument *document);

    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr;

private:
    void parseAt(platform::WebDocument *document, const QString &path);
};

} // namespace velmora::windows
