#pragma once

namespace velmora::services {
class Language;
}

namespace velmora::windows {

class frmOptions;

// Gives every control of the options window its "What's This?" text in the
// interface language: what the setting does and what each choice means.
void setOptionsWhatsThis(frmOptions &window, const services::Language &language);

} // namespace velmora::windows
