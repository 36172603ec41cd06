// VD's own forms, each created on first use.
#pragma once

class FrmWait;
class FrmMain;

FrmWait& frmWait();
FrmMain& frmMain();

// Connects the model to these forms: the progress form, message boxes and
// the preview it asks for. Once, before the first form loads.
void ConnectModelToForms();
