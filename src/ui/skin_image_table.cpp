#include "ui/skin_image_table.h"

namespace kestrova::ui {

const std::array<SkinImageEntry, kSkinImageCount> kSkinImageTable = {{
    {L"forms\\form_sel_button.png", false, false},
    {L"forms\\form_sel_input.png", false, false},
    {L"forms\\form_unsel_button.png", false, false},
    {L"forms\\form_unsel_input.png", false, false},
    {L"grid\\grid_sel_catchan.png", false, false},
    {L"grid\\grid_sel_catvids.png", false, false},
    {L"grid\\grid_sel_sets.png", false, false},
    {L"grid\\grid_sel_messages_old.png", false, false},
    {L"grid\\grid_unsel_catchan.png", false, false},
    {L"grid\\grid_unsel_catvids.png", false, false},
    {L"grid\\grid_unsel_sets.png", false, false},
    {L"grid\\grid_unsel_messages_old.png", false, false},
    {L"icons\\icon_calendar.png", false, false},
    {L"icons\\icon_folder.png", false, true},
    {L"icons\\icon_language.png", false, false},
    {L"icons\\icon_money.png", false, true},
    {L"icons\\icon_operator.png", false, true},
    {L"icons\\icon_quality.png", false, false},
    {L"icons\\icon_settings.png", false, true},
    {L"icons\\icon_tv.png", false, true},
    {L"icons\\icon_heart.png", false, true},
    {L"icons\\icon_message_old_unsel.png", false, true},
    {L"icons\\icon_message_new_unsel.png", false, true},
    {L"icons\\icon_message_old_sel.png", false, true},
    {L"icons\\icon_message_new_sel.png", false, true},
    {L"mainpics\\arrow_left.png", false, true},
    {L"mainpics\\arrow_right.png", false, true},
    {L"mainpics\\bg_bottom_line.png", false, false},
    {L"mainpics\\bg_overlayer.png", true, true},
    {L"mainpics\\bg_selector.png", false, false},
    {L"mainpics\\bg_timeswitcher_na.png", false, false},
    {L"mainpics\\bg_top_line.png", false, false},
    {L"mainpics\\biglogo.png", false, true},
    {L"mainpics\\menulogo.png", false, true},
    {L"mainpics\\divider.png", false, true},
    {L"plashki\\bg_plashka.png", false, true},
    {L"plashki\\bottom_bigblack.png", false, true},
    {L"plashki\\bottom_linedblack.png", false, true},
    {L"popup\\popup_bottom_line.png", false, true},
    {L"popup\\popup_main_line.png", false, true},
    {L"popup\\popup_top_line.png", false, true},
    {L"waiter\\loading01.png", false, true},
    {L"waiter\\loading02.png", false, true},
    {L"waiter\\loading03.png", false, true},
    {L"waiter\\loading04.png", false, true},
    {L"waiter\\loading05.png", false, true},
    {L"waiter\\loading06.png", false, true},
    {L"waiter\\loading07.png", false, true},
    {L"waiter\\loading08.png", false, true},
    {L"waiter\\loading09.png", false, true},
    {L"waiter\\loading10.png", false, true},
    {L"waiter\\loading11.png", false, true},
    {L"waiter\\loading12.png", false, true},
    {L"icons\\icon_keyboard.png", false, true},
}};

std::wstring_view SkinFileName(std::wstring_view path) {
  const auto slash = path.rfind(L'\\');
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

}  // namespace kestrova::ui
