#pragma once
// The Qt floor of the platform layer: the helpers the forms share, on QString.
#include "gui/platform/beep.h"
#include "gui/platform/filemanager.h"
#include "gui/platform/placement.h"
#include "gui/platform/textbox.h"
#include "gui/platform/tray.h"
#include "gui/platform/workarea.h"
#include "model/platform/text.h"
