#include "app/msg_error_zip.h"

#include "app/operator_texts.h"
#include "zip/zip_error_text.h"

namespace qeb {

void FGMsgErrorZip(ui::WindowSystem& ws, int16_t codigo) {
  ws.Beep();
  ws.MessageBox(zip::ZipErrorText(codigo), ApplicationTitle(kCompresion),
                ui::kIconStop + ui::kButtonsOk);
}

}  // namespace qeb
