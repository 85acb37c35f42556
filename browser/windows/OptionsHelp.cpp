#include "OptionsHelp.h"

#include "frmOptions.h"

#include "Language.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace velmora::windows {

void setOptionsWhatsThis(frmOptions &w, const services::Language &language)
{
    const auto set = [&](std::initializer_list<QWidget *> controls, const char16_t *russian,
                         const char16_t *english) {
        const QString text = language.own(russian, english);
        for (QWidget *control : controls) {
            if (control)
                control->setWhatsThis(text);
        }
    };

    set({w.lblRemove, w.cmdRemove},
        u"Кнопка «Удалить...» открывает редактор списка адресов. В этом списке адресной строки "
        u"собираются сайты посещённых страниц; в редакторе их можно удалить по одному или все "
        u"сразу и изменить их порядок, а затем записать список или выйти без записи.",
        u"The Remove button opens the address list editor. The address bar's list collects the "
        u"sites of the pages you visit; in the editor you can remove them one by one or all at "
        u"once and change their order, then save the list or close without saving.");
    set({w.lblHW, w.cmdSetHW},
        u"Открывает окно горячих слов. Горячее слово, набранное в адресной строке, заменяется "
        u"привязанным к нему адресом: например, слово «новости» может открывать ваш "
        u"новостной сайт.",
        u"Opens the hot words window. A hot word typed in the address bar is replaced by the "
        u"address linked to it: for example, the word \"news\" can open your news site.");
    set({w.lblNW, w.Frame1, w.Option2, w.Option1},
        u"Когда страница открывает новое окно, оно открывается в новой вкладке. «Да»: эта "
        u"вкладка сразу становится текущей. «Нет»: вы остаётесь на прежней вкладке, а новая "
        u"загружается рядом.",
        u"When a page opens a new window, it opens in a new tab. Yes: that tab becomes the "
        u"current tab at once. No: you stay on your tab and the new one loads beside it.");
    set({w.lblConfExit, w.Frame2, w.Option3, w.Option4},
        u"«Да»: при закрытии главного окна программа спрашивает, действительно ли вы хотите "
        u"выйти. «Нет»: программа закрывается сразу.",
        u"Yes: when you close the main window, the program asks whether you really want to "
        u"exit. No: the program closes at once.");
    set({w.lblSaveMode, w.Frame3, w.Option5, w.Option6},
        u"Как сайты посещённых страниц попадают в список адресной строки. «Стандартный режим»: "
        u"список упорядочен по последнему посещению, самый свежий сайт наверху. «Режим "
        u"сохранения любимых адресов»: первые восемь сайтов списка остаются вверху (снова "
        u"посещённый из них поднимается на первое место), а новые сайты встают под ними.",
        u"How the sites of the pages you visit enter the address bar's list. Standard: the list "
        u"is ordered by the latest visit, the newest site on top. Keep favorite addresses: the "
        u"first eight sites of the list stay on top (a revisited one of them moves to the first "
        u"place) and new sites go below them.");
    set({w.lblHomePage, w.txtHUrl},
        u"Адрес домашней страницы: она открывается при запуске программы и по кнопке «Домой».",
        u"The home page's address: it opens when the program starts and with the Home button.");
    set({w.cmdBlank}, u"Делает домашней страницей пустую страницу (about:blank).",
        u"Makes the empty page (about:blank) the home page.");
    set({w.cmdCurrent}, u"Делает домашней страницей страницу текущей вкладки.",
        u"Makes the current tab's page the home page.");
    set({w.cmdReset}, u"Возвращает в поле записанную домашнюю страницу.",
        u"Puts the stored home page back into the field.");
    set({w.cmdOk}, u"Записывает все настройки и закрывает окно.",
        u"Stores all settings and closes the window.");
    set({w.cmdApply}, u"Записывает все настройки; окно остаётся открытым.",
        u"Stores all settings; the window stays open.");
    set({w.cmdCancel}, u"Закрывает окно, ничего не записывая.",
        u"Closes the window without storing anything.");
    set({w.cmdWhatsThis},
        u"Нажмите эту кнопку (или Shift+F1), затем щёлкните по элементу окна, чтобы узнать, "
        u"что он делает.",
        u"Press this button (or Shift+F1), then click an item of the window to learn what it "
        u"does.");
}

} // namespace velmora::windows
