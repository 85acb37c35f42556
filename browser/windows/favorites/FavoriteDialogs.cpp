#include "FavoriteDialogs.h"

#include "TextFit.h"
#include "frmFavoritesShow.h"

#include "Language.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QWidget>

namespace velmora::windows {

using services::step;

void setUpFavoriteDialog(QWidget *dialog, const QString &title)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint);
    dialog->setWindowTitle(title);
    QFont small = dialog->font();
    small.setPointSize(8);
    dialog->setFont(small);
}

void loadFavoriteDialog(Program &p, QWidget *dialog, bool manual, int languageWindow)
{
    if (!manual) {
        step([&] {
            const QString dir = p.folder().path();
            const QString language = p.settings().GetSetting(
                QStringLiteral("general"), QStringLiteral("language"),
                p.language().getDefaultLanguage(dir));
            p.language().applyLanguage(dir, language, languageWindow, dialog);
        });
        step([&] { services::fitTexts(dialog); });
    }
    step([&] {
        if (dialog->isVisible())
            setStaysOnTop(dialog, true);
    });
}

} // namespace velmora::windows
