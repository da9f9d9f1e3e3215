// The program's custom messages. Pages, the view and the navigation dialog
// never call each other across these borders: they send one of these numbers
// synchronously (see AppMessagesEvent.h), always with both parameters 0.
// The numbers are absolute (0x400 is the first user message on Windows), kept
// as they are so traces and the message table read the same on every platform.
#pragma once

constexpr int WM_MONITOR_RELOAD_DEFINITIONS = 0x464;
constexpr int WM_NAV_REFRESH_TEXTS = 0x465;
constexpr int WM_NAV_SELECT_PAGE = 0x466;
constexpr int WM_ACTIVATE_EOLSENSOR_PREPARE = 0x46d;
constexpr int WM_ACTIVATE_EOLREPORTS = 0x474;
constexpr int WM_DEVICEINFO_RELOAD = 0x478;
constexpr int WM_ECU_CONNECTION_CHANGED = 0x7f3;
constexpr int WM_RSSCALIB_DISCONNECTED = 0x7f4;

// Language refresh, one per page (broadcast by RefreshLanguage).
constexpr int WM_LANG_DEVICEINFO = 0x84c;
constexpr int WM_LANG_RWDID = 0x84d;
constexpr int WM_LANG_MONITOR = 0x84e;
constexpr int WM_LANG_DTCINFO = 0x84f;
constexpr int WM_LANG_SYSTEMTAG = 0x850;
constexpr int WM_LANG_EOLVOLTAGE = 0x851;
constexpr int WM_LANG_EOLLAMP = 0x852;
constexpr int WM_LANG_EOLSENSOR = 0x853;
constexpr int WM_LANG_EOLPRESSURE = 0x854;
constexpr int WM_LANG_EOLBACKUPPRESSURE = 0x855;
constexpr int WM_LANG_EOLLIFTAXLE = 0x856;
constexpr int WM_LANG_EOLDTC = 0x857;
constexpr int WM_LANG_EOLREPORTS = 0x858;
constexpr int WM_LANG_EOLLIFTSENSOR = 0x859;
constexpr int WM_EOLLIFTSENSOR_DISCONNECTED = 0x85a;
constexpr int WM_LANG_EOLHEIGHTSENSOR = 0x85b;
constexpr int WM_LANG_EOLBRAKELAMP = 0x85c; // brake-lamp page and underwater-valve page
constexpr int WM_LANG_RSSCALIB = 0x85d;
constexpr int WM_EOLHEIGHTSENSOR_DISCONNECTED = 0x85e;
constexpr int WM_ACTIVATE_DEVICEINFO = 0x85f;
constexpr int WM_RWDID_DEFINITIONS_LOADED = 0x8be;
constexpr int WM_LIFTAXLE_RELOAD_CONFIG = 0x8fc;
constexpr int WM_LIFTAXLE_REFILL = 0x8fd;
constexpr int WM_LIFTAXLE_WRITE = 0x8fe;
constexpr int WM_LIFTAXLE_READ = 0x8ff;
constexpr int WM_ACTIVATE_ODRINFO = 0x914;
constexpr int WM_LANG_ODRINFO = 0x915;
constexpr int WM_SYSTEMTAG_UPDATE = 0x918;
constexpr int WM_ODRTRIP_RELOAD = 0x91f;
constexpr int WM_LANG_ODRTRIP = 0x920;
constexpr int WM_CONNECTORS_READ_VERSION = 0x978;
constexpr int WM_CONNECTORS_RELABEL = 0x979;
constexpr int WM_CONNECTORS_REFRESH = 0x97a;

// Activate messages of the end-of-line pages.
constexpr int WM_ACTIVATE_EOLVOLTAGE = 0x1789;
constexpr int WM_ACTIVATE_EOLLAMP = 0x178a;
constexpr int WM_ACTIVATE_EOLSENSOR = 0x178b;
constexpr int WM_ACTIVATE_EOLPRESSURE = 0x178c;
constexpr int WM_ACTIVATE_EOLBACKUPPRESSURE = 0x178d;
constexpr int WM_ACTIVATE_EOLDTC = 0x178e;
constexpr int WM_ACTIVATE_EOLBRAKELAMP = 0x1794; // brake-lamp page and underwater-valve page
constexpr int WM_RESET_EOLBRAKELAMP = 0x1795;
constexpr int WM_ACTIVATE_EOLLIFTAXLE = 0x18fb;
constexpr int WM_ACTIVATE_EOLLIFTSENSOR = 0x18fc;
constexpr int WM_ACTIVATE_EOLHEIGHTSENSOR = 0x2021;

// Ribbon and command ids handled by the view. wx window and command ids must
// stay below 32767, so each id here is its resource number (3278x/3279x/32803)
// less 10000: ID_COMBO_CANDEVICE is resource 32792, window id 22792.
constexpr int ID_RSSCALIBBTN = 22786;
constexpr int ID_BUTTON_CANDEVICE = 22788;
constexpr int ID_PROGRAM_DOWNLOAD = 22789;
constexpr int ID_BUTTON_LANGUAGE = 22790;
constexpr int ID_COMBO_CANDEVICE = 22792;
constexpr int ID_COMBO_CANBAUDRATE = 22793;
constexpr int ID_CAN_CONNECT = 22796;
constexpr int ID_DISCONNECTCAN = 22797;
constexpr int ID_COMBO_LANGUAGE = 22803;

// Visual-style commands; the profile value "ApplicationLook" holds one of them.
constexpr int ID_VIEW_APPLOOK_FIRST = 205;
constexpr int ID_VIEW_APPLOOK_LAST = 219;
constexpr int ID_VIEW_APPLOOK_DEFAULT = 215;
