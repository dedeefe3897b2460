#include "settings/SettingsValues.h"

SettingsValues &settingsValues()
{
    static SettingsValues values;
    return values;
}
