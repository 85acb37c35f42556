#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace velmora::mainwindow {

// Rows of an editable box change behind what the user is typing. The box
// shows another row whenever the row it last showed moves or goes; the
// text, caret and selection are put back as they were, and nobody hears of
// the change in between.
class EditTextKeeper
{
public:
    explicit EditTextKeeper(QComboBox *box)
        : m_box(box), m_edit(box->lineEdit()), m_blockBox(box), m_blockEdit(m_edit)
    {
        if (!m_edit)
            return;
        m_text = m_edit->text();
        m_cursor = m_edit->cursorPosition();
        m_selectionStart = m_edit->selectionStart();
        m_selectionLength = m_edit->selectionLength();
        m_modified = m_edit->isModified();
    }

    ~EditTextKeeper()
    {
        if (!m_edit || m_box->lineEdit() != m_edit)
            return;
        if (m_edit->text() == m_text && m_edit->cursorPosition() == m_cursor
            && m_edit->selectionStart() == m_selectionStart
            && m_edit->selectionLength() == m_selectionLength)
            return;
        if (m_edit->text() != m_text)
            m_edit->setText(m_text);
        if (m_selectionStart >= 0 && m_selectionLength > 0) {
            // The caret stays at the end where the selection was made from.
            if (m_cursor == m_selectionStart)
                m_edit->setSelection(m_selectionStart + m_selectionLength, -m_selectionLength);
            else
                m_edit->setSelection(m_selectionStart, m_selectionLength);
        } else {
            m_edit->setCursorPosition(m_cursor);
        }
        m_edit->setModified(m_modified);
    }

    EditTextKeeper(const EditTextKeeper &) = delete;
    EditTextKeeper &operator=(const EditTextKeeper &) = delete;

private:
    QComboBox *m_box;
    QLineEdit *m_edit;
    const QSignalBlocker m_blockBox;
    const QSignalBlocker m_blockEdit;
    QString m_text;
    int m_cursor = 0;
    int m_selectionStart = -1;
    int m_selectionLength = 0;
    bool m_modified = false;
};

} // namespace velmora::mainwindow
