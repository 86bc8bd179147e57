#include "app/msg_error_zip.h"

#include "ui/mensaje.h"
#include "zip/zip_error_text.h"

namespace qeb {

void FGMsgErrorZip(ui::WindowSystem& ws, int16_t codigo) {
  ws.Beep();
  ws.MessageBox(zip::ZipErrorText(codigo), ui::ApplicationTitle(ui::kCompresion, "1.0"),
                ui::kIconStop + ui::kButtonsOk);
}

}  // namespace qeb
