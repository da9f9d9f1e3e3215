// The program-download page (tab TabProgramDownload): loads an ECU software
// file and starts the download. Every decision lives in DownloadPageLogic;
// this window builds the controls, forwards each button and the connection
// message to it and shows its state.
#pragma once

#include "PageHostPage.h"

#include <cstddef>

class CNILikeStatic;
class wxButton;
class wxGauge;
class wxListBox;
class wxTextCtrl;

class CEPBDownLoad : public CTarvelPage {
public:
    // Control ids of the page.
    enum {
        ID_OPEN_FILE = 1168,
        ID_START_DOWNLOAD = 1169,
        ID_CANCEL_DOWNLOAD = 1170,
        ID_MESSAGE_LIST = 1171,
        ID_PROGRESS = 1177,
        ID_FILE_EDIT = 1181,
        ID_PERCENT = 1183,
    };

    CEPBDownLoad();
    bool Create(wxWindow* parent) override;

protected:
    void RenderState() override;

private:
    wxListBox* messages_ = nullptr;
    wxGauge* progress_ = nullptr;
    CNILikeStatic* percent_ = nullptr;
    wxTextCtrl* fileEdit_ = nullptr;
    wxButton* cancel_ = nullptr;
    size_t shownMessages_ = 0;
};
