#pragma once

#include "WebBrowser.h"

#include <QDialog>
#include <QHash>

class QFormLayout;
class QLabel;

namespace velmora::services {
class Language;
}

namespace velmora::windows {

// The properties of the page shown: address, title, protocol, type, size,
// the connection's security with the site's certificate, and the dates the
// page gives. Opens with what the control knows at once; the rest follows
// when the control has read it.
class frmPageProperties : public QDialog
{
    Q_OBJECT
public:
    enum class Row { Title, Address, Protocol, Type, Size, Connection, Certificate, Issuer,
                     Validity, Modified, Created, ServerDate };

    frmPageProperties(const services::Language &language, QWidget *parent = nullptr);

    // Opens the properties of the page a control shows over owner: what the
    // control knows at once, the rest once it has read it.
    static frmPageProperties *showFor(platform::WebBrowser &browser,
                                      const services::Language &language, QWidget *owner);

    // Shows these facts; reading: the rest is still being read.
    void showFacts(const platform::PageFacts &facts, bool reading = false);
    // The text a row shows; empty when the row is not shown.
    QString rowText(Row row) const;

private:
    void setRow(Row row, const QString &text);

    const services::Language &m_lang;
    QFormLayout *m_form = nullptr;
    QHash<Row, QLabel *> m_values;
};

} // namespace velmora::windows
