#pragma once
// Layout names of the main window's controls and menu items. They are the object names of the
// widgets and the keys every Window operation takes (UTF-8, as written in the source).

#include <string_view>

namespace controls {

inline constexpr std::string_view kSignInPanel = "分组框1";
inline constexpr std::string_view kRouteMalaysia = "单选框1";
inline constexpr std::string_view kRouteNetherlands = "单选框2";
inline constexpr std::string_view kRouteHongKong = "单选框3";
inline constexpr std::string_view kKeyPrompt = "标签12";
inline constexpr std::string_view kKeyBox = "编辑框5";
inline constexpr std::string_view kSignInButton = "按钮14";
inline constexpr std::string_view kSignInMessage = "主窗标签";
inline constexpr std::string_view kTabs = "选择夹1";
inline constexpr std::string_view kDeviceList = "超级列表框1";
inline constexpr std::string_view kPortList = "超级列表框2";
inline constexpr std::string_view kPoolSummaryList = "超级列表框5";
inline constexpr std::string_view kFilterBox = "编辑框1";
inline constexpr std::string_view kPortCountLabel = "标签1";
inline constexpr std::string_view kLogPanel = "画板1";
inline constexpr std::string_view kBusyPicture = "图片框1";
inline constexpr std::string_view kShapeBox = "外形框1";
// Our own addition: the search over every pool's last port query.
inline constexpr std::string_view kSearchBox = "搜索框";

inline constexpr std::string_view kDeviceMenu = "c";
inline constexpr std::string_view kPortMenu = "c1";

} // namespace controls
