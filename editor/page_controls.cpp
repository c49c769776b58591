#include "editor/page_controls.h"

namespace {

using K = ControlKind;

constexpr PageId W = PageId::Window;
constexpr ControlSpec kWindow[] = {
    {W, 1991, K::RadioButton, "Сон", 1},    {W, 1992, K::RadioButton, "Жду", 1},
    {W, 1993, K::RadioButton, "Охрана", 1}, {W, 1994, K::RadioButton, "Поиск", 1},
    {W, 1995, K::RadioButton, "Трекер", 1},
};

// Radio groups: 1 SMS language, 2 SMS notification, 3 call notification.
constexpr PageId M = PageId::Main;
constexpr ControlSpec kMain[] = {
    {M, 1031, K::DigitsEdit, ""},
    {M, 1131, K::Label, "Номер владельца: +"},
    {M, 1034, K::Edit, ""},
    {M, 1122, K::Label, "Имя устройства:"},
    {M, 1053, K::DropDownList, ""},
    {M, 1133, K::Label, "1: +"},
    {M, 1032, K::DigitsEdit, ""},
    {M, 2001, K::RadioButton, "При каждом пробуждении", 2},
    {M, 2002, K::RadioButton, "Только при тревогах", 2},
    {M, 2003, K::RadioButton, "Отключено", 2},
    {M, 2010, K::RadioButton, "При каждом пробуждении", 3},
    {M, 2011, K::RadioButton, "Только при тревогах", 3},
    {M, 2012, K::RadioButton, "Отключено", 3},
    {M, 1134, K::Label, "2: +"},
    {M, 1135, K::Label, "3: +"},
    {M, 1136, K::Label, "4: +"},
    {M, 1137, K::Label, "5: +"},
    {M, 1138, K::Label, "6: +"},
    {M, 1139, K::Label, "7: +"},
    {M, 1140, K::Label, "8: +"},
    {M, 1141, K::Label, "9: +"},
    {M, 1033, K::DigitsEdit, ""},
    {M, 1035, K::DigitsEdit, ""},
    {M, 1036, K::DigitsEdit, ""},
    {M, 1037, K::DigitsEdit, ""},
    {M, 1038, K::DigitsEdit, ""},
    {M, 1039, K::DigitsEdit, ""},
    {M, 1040, K::DigitsEdit, ""},
    {M, 1041, K::DigitsEdit, ""},
    {M, 1187, K::CheckBox, "Активен"},
    {M, 1188, K::CheckBox, "Активен"},
    {M, 1189, K::CheckBox, "Активен"},
    {M, 1190, K::CheckBox, "Активен"},
    {M, 1191, K::CheckBox, "Активен"},
    {M, 1192, K::CheckBox, "Активен"},
    {M, 1193, K::CheckBox, "Активен"},
    {M, 1194, K::CheckBox, "Активен"},
    {M, 1195, K::CheckBox, "Активен"},
    {M, 1196, K::Label, "Часовой пояс:"},
    {M, 1998, K::RadioButton, "Английский", 1},
    {M, 1999, K::RadioButton, "Русский", 1},
    {M, 2000, K::RadioButton, "Автоматически", 1},
    {M, 1197, K::CheckBox, "Отображать имя в SMS"},
};

constexpr PageId A = PageId::Wake;
constexpr ControlSpec kWake[] = {
    {A, 1197, K::GroupBox, "Будильники пробуждения"},
    {A, 1201, K::TimePicker, ""},
    {A, 1202, K::CheckBox, "Активен"},
    {A, 1203, K::Label, "1:"},
    {A, 1204, K::Label, "2:"},
    {A, 1205, K::Label, "3:"},
    {A, 1206, K::Label, "4:"},
    {A, 1207, K::Label, "5:"},
    {A, 1208, K::Label, "6:"},
    {A, 1209, K::Label, "7:"},
    {A, 1210, K::Label, "8:"},
    {A, 1211, K::Label, "9:"},
    {A, 1212, K::TimePicker, ""},
    {A, 1213, K::TimePicker, ""},
    {A, 1214, K::TimePicker, ""},
    {A, 1215, K::TimePicker, ""},
    {A, 1216, K::TimePicker, ""},
    {A, 1217, K::TimePicker, ""},
    {A, 1218, K::TimePicker, ""},
    {A, 1219, K::TimePicker, ""},
    {A, 1220, K::CheckBox, "Активен"},
    {A, 1221, K::CheckBox, "Активен"},
    {A, 1222, K::CheckBox, "Активен"},
    {A, 1223, K::CheckBox, "Активен"},
    {A, 1224, K::CheckBox, "Активен"},
    {A, 1225, K::CheckBox, "Активен"},
    {A, 1226, K::CheckBox, "Активен"},
    {A, 1227, K::CheckBox, "Активен"},
    {A, 1198, K::GroupBox, "Период пробужения - один раз в"},
    {A, 1229, K::DigitsEdit, ""},
    {A, 1230, K::DigitsEdit, ""},
    {A, 1231, K::DigitsEdit, ""},
    {A, 1228, K::CheckBox, "Активен"},
};

// Radio groups: 1 coordinate format, 2 latitude hemisphere, 3 longitude
// hemisphere (2 and 3 share the zone box).
constexpr PageId G = PageId::GPS;
constexpr ControlSpec kGps[] = {
    {G, 1234, K::CheckBox, "Определение координат по GPS"},
    {G, 1235, K::CheckBox, "Использовать AGPS"},
    {G, 1236, K::CheckBox, "Определение координат по Базовым Станциям GSM"},
    {G, 1238, K::CheckBox, "Включить контроль зоны"},
    {G, 1239, K::GroupBox, "Отображение координат в виде:"},
    {G, 2030, K::RadioButton, "Ссылки на Яндекс карты", 1},
    {G, 2031, K::RadioButton, "Ссылки на Google maps", 1},
    {G, 2032, K::RadioButton, "Географических координат", 1},
    {G, 1243, K::Label, "Радиус зоны:"},
    {G, 1248, K::DigitsEdit, ""},
    {G, 1249, K::Edit, ""},
    {G, 1250, K::Edit, ""},
    {G, 1244, K::Label, "Широта:"},
    {G, 1245, K::Label, "Долгота:"},
    {G, 1251, K::DigitsEdit, ""},
    {G, 1252, K::DigitsEdit, ""},
    {G, 1253, K::DigitsEdit, ""},
    {G, 1254, K::DigitsEdit, ""},
    {G, 1255, K::DigitsEdit, ""},
    {G, 1256, K::DigitsEdit, ""},
    {G, 1246, K::Label, "град."},
    {G, 1247, K::Label, "град."},
    {G, 1257, K::Label, ","},
    {G, 1258, K::Label, ","},
    {G, 1259, K::Label, "мин."},
    {G, 1260, K::Label, "мин."},
    {G, 1279, K::RadioButton, "северная", 2},
    {G, 1280, K::RadioButton, "южная", 2},
    {G, 1281, K::RadioButton, "восточная", 3},
    {G, 1282, K::RadioButton, "западная", 3},
    {G, 1261, K::Label, "м."},
};

constexpr PageId I = PageId::Internet;
constexpr ControlSpec kInternet[] = {
    {I, 1250, K::Edit, ""},
    {I, 1251, K::Edit, ""},
    {I, 1252, K::Edit, ""},
    {I, 1253, K::Edit, ""},
    {I, 1254, K::DigitsEdit, ""},
    {I, 1255, K::Label, "Адрес сервера мониторинга:"},
    {I, 1256, K::Label, "порт:"},
    {I, 1257, K::Label, "Адрес APN сервера для GPRS соединений:"},
    {I, 1258, K::Label, "Логин APN сервера:"},
    {I, 1259, K::Label, "Пароль APN сервера:"},
    {I, 1260, K::Label, "Период отправки пакетов:"},
    {I, 1261, K::DigitsEdit, ""},
    {I, 1262, K::DigitsEdit, ""},
    {I, 1263, K::CheckBox, "Включить отправку данных на сервер мониторинга"},
    {I, 1264, K::CheckBox, "Автоопределение APN"},
    {I, 1237, K::CheckBox, "Адаптивное построение трека"},
};

// Radio groups: 1 temperature trigger, 2 external input edge. The first "Т"
// of the trigger captions is Cyrillic, "Tmin."/"Tmax." are Latin.
constexpr PageId S = PageId::Sensors;
constexpr ControlSpec kSensors[] = {
    {S, 1264, K::DigitsEdit, ""},
    {S, 1265, K::DigitsEdit, ""},
    {S, 1266, K::DigitsEdit, ""},
    {S, 1267, K::CheckBox, "Инверсия активного уровня выхода реле"},
    {S, 1268, K::CheckBox, "Включить \"температурное\" реле"},
    {S, 2035, K::RadioButton, "  Т < Tmin.", 1},
    {S, 2036, K::RadioButton, "  Tmin. < Т < Tmax.", 1},
    {S, 2037, K::RadioButton, "  Т > Tmax.", 1},
    {S, 2038, K::RadioButton, "  Tmin. > Т > Tmax.", 1},
    {S, 2039, K::RadioButton, "  Выключен", 1},
    {S, 1273, K::SignedEdit, ""},
    {S, 1274, K::SignedEdit, ""},
    {S, 1275, K::CheckBox, "Включить \"тревожную\" кнопку"},
    {S, 1277, K::CheckBox, "Включить датчик движения"},
    {S, 1276, K::Slider, ""},
    {S, 1278, K::DigitsEdit, ""},
    {S, 1255, K::Label, "Чувствительность датчика движения:"},
    {S, 1279, K::CheckBox, "Фиксировать простой при стоянке более:"},
    {S, 1256, K::Label, "Время парковки:"},
    {S, 1280, K::DigitsEdit, ""},
    {S, 1281, K::DigitsEdit, ""},
    {S, 1282, K::DigitsEdit, ""},
    {S, 1283, K::DigitsEdit, ""},
    {S, 1284, K::DigitsEdit, ""},
    {S, 2045, K::RadioButton, "По \"фронту\"", 2},
    {S, 2046, K::RadioButton, "По \"спаду\"", 2},
    {S, 2047, K::RadioButton, "Оба", 2},
    {S, 1257, K::Label, "Активный уровень срабатывания внешнего входа:"},
    {S, 1258, K::Label, "Длительность включения реле:"},
    {S, 1259, K::Label, "Более чувствительный"},
    {S, 1260, K::Label, "Менее чувствительный"},
    {S, 1285, K::CheckBox, "Контроль скорости"},
    {S, 1286, K::DigitsEdit, ""},
    {S, 1261, K::Label, "Макс. скорость:"},
};

constexpr PageId E = PageId::Expert;
constexpr ControlSpec kExpert[] = {
    {E, 1277, K::DigitsEdit, ""}, {E, 1278, K::DigitsEdit, ""}, {E, 1279, K::DigitsEdit, ""},
    {E, 1280, K::DigitsEdit, ""}, {E, 1281, K::DigitsEdit, ""}, {E, 1282, K::DigitsEdit, ""},
    {E, 1283, K::DigitsEdit, ""}, {E, 1284, K::SignedEdit, ""}, {E, 1286, K::SignedEdit, ""},
};

}  // namespace

std::span<const ControlSpec> pageControls(PageId page) {
    switch (page) {
        case PageId::Window:
            return kWindow;
        case PageId::Main:
            return kMain;
        case PageId::Wake:
            return kWake;
        case PageId::GPS:
            return kGps;
        case PageId::Internet:
            return kInternet;
        case PageId::Sensors:
            return kSensors;
        case PageId::Expert:
            return kExpert;
    }
    return {};
}

const ControlSpec* findControl(PageId page, int id) {
    for (const ControlSpec& entry : pageControls(page))
        if (entry.id == id) return &entry;
    return nullptr;
}
