// Template 142: the VQ7170S option page, the VQ7170 arrangement with the
// VQ7170S captions.
#include "PageTemplate7170.h"
#include "PageTemplates.h"
#include "ResourceIds.h"

const DialogTemplate& PageTemplate142() {
    static const DialogTemplate t = MakeVQ7170PageTemplate(
        IDD_PAGE_VQ7170S,
        {{"Patch_Common", "USB_cmd", "USB_int", "Timer_int", "VSync_int", "UART_int", "UVC_int", "Reserved"},
         {"hd hotplug svc replace", "hd pl svc replace", "hd mdt svc replace", "hd packet svc replace",
          "hd edid svc replace", "hd **** svc replace", "video sel replace", "Reserved"}});
    return t;
}
