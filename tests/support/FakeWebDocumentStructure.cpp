// The frames and forms of a fake page.
#include "FakeWebBrowser.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace velmora::platform {

int FakeWebDocument::frameCount() const
{
    return int(m_frames.size());
}

WebDocument *FakeWebDocument::frame(int index) const
{
    return index >= 0 && index < m_frames.size() ? m_frames.at(index).data() : nullptr;
}

int FakeWebDocument::formCount() const
{
    ++formCountReads;
    return int(m_forms.size());
}

WebForm *FakeWebDocument::form(int index) const
{
    return index >= 0 && index < m_forms.size() ? m_forms.at(index) : nullptr;
}

QString FakeWebDocument::currentEventType() const
{
    return m_eventType;
}

FakeWebDocument *FakeWebDocument::fakeAddFrame()
{
    auto *document = new FakeWebDocument(this);
    m_frames.append(document);
    return document;
}

void FakeWebDocument::fakeAddForeignFrame()
{
    m_frames.append(nullptr);
}

void FakeWebDocument::fakeSetFormCount(int count)
{
    while (m_forms.size() > count)
        delete m_forms.takeLast();
    while (m_forms.size() < count)
        m_forms.append(new WebForm(this));
}

bool FakeWebDocument::fakeSubmit(int index)
{
    WebForm *target = form(index);
    if (!target)
        return false;
    bool returnValue = true;
    const QString outer = std::exchange(m_eventType, u"submit"_s);
    emit target->onsubmit(&returnValue);
    m_eventType = outer;
    return returnValue;
}

void FakeWebDocument::resetStructure()
{
    for (const QPointer<FakeWebDocument> &frame : std::as_const(m_frames))
        delete frame.data();
    m_frames.clear();
    qDeleteAll(m_forms);
    m_forms.clear();
}

} // namespace velmora::platform
