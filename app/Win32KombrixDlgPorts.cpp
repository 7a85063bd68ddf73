// The main dialog's port combos: filling them, selecting the current
// assignment, the rule that enables OK, and the OK and Cancel operations.
#include "app/KombrixDlg.h"
#include "app/resources/ResourceIds.h"
#include "driverfile/DriverFile.h"
#include "inventory/PortLists.h"
#include "strings/AnsiText.h"
#include "strings/AssembledStrings.h"

namespace {

bool IsSerialPortDevice(const std::string& strDeviceName) {
    for (int i = 0; i < g_arSerialComm.GetCount(); ++i) {
        if (TextEquals(g_arSerialComm.ElementAt(i).strDeviceName, strDeviceName)) return true;
    }
    return false;
}

/// The first adapter port with the device name, or null.
const SVirtualCommList* FindAdapterByDevice(const std::string& strDeviceName) {
    for (int i = 0; i < g_arVirtualComm.GetCount(); ++i) {
        const SVirtualCommList& port = g_arVirtualComm.ElementAt(i);
        if (TextEquals(port.strDeviceName, strDeviceName)) return &port;
    }
    return nullptr;
}

/// The first adapter port with the display name, or null.
const SVirtualCommList* FindAdapterByFriendlyName(const std::string& strFriendlyName) {
    for (int i = 0; i < g_arVirtualComm.GetCount(); ++i) {
        const SVirtualCommList& port = g_arVirtualComm.ElementAt(i);
        if (TextEquals(port.strFriendlyName, strFriendlyName)) return &port;
    }
    return nullptr;
}

}  // namespace

CComboBox& CKombrixDlg::PortCombo(int nPort) {
    CComboBox* const combos[4] = {&m_cbCom1, &m_cbCom2, &m_cbCom3, &m_cbCom4};
    return *combos[nPort];
}

const CComboBox& CKombrixDlg::PortCombo(int nPort) const {
    const CComboBox* const combos[4] = {&m_cbCom1, &m_cbCom2, &m_cbCom3, &m_cbCom4};
    return *combos[nPort];
}

void CKombrixDlg::FillPortCombos() {
    for (int nPort = 0; nPort < 4; ++nPort) PortCombo(nPort).AddString(m_strDefault.c_str());

    for (int i = 0; i < g_arVirtualComm.GetCount(); ++i) {
        const SVirtualCommList& port = g_arVirtualComm.ElementAt(i);
        if (port.strPortName.empty()) continue;
        for (int nPort = 0; nPort < 4; ++nPort) PortCombo(nPort).AddString(port.strFriendlyName.c_str());
    }

    const char* const presets[4] = {PortPreset1, PortPreset2, PortPreset3, PortPreset4};
    for (int nPort = 0; nPort < 4; ++nPort) SelectCurrentPort(nPort, presets[nPort], PortCombo(nPort));

    for (int nPort = 0; nPort < 4; ++nPort) m_strInitialText[nPort] = PortCombo(nPort).GetWindowText();
}

void CKombrixDlg::SelectCurrentPort(int nPort, const char* pszPreset, CComboBox& cbPort) {
    const std::string& strAssigned = g_strPortAssignment[nPort];

    if (TextEquals(strAssigned, pszPreset)) {
        cbPort.SelectString(-1, m_strDefault.c_str());
    } else if (IsSerialPortDevice(strAssigned)) {
        if (const SVirtualCommList* pAdapter = FindAdapterByDevice(strAssigned)) {
            cbPort.SelectString(-1, pAdapter->strFriendlyName.c_str());
        } else {
            cbPort.AddString(m_strUnknownPort.c_str());
            cbPort.SelectString(-1, m_strUnknownPort.c_str());
        }
    } else if (TextEquals(strAssigned, EnumDeviceNameA)) {
        cbPort.SelectString(-1, EnumDeviceNameA);
    } else if (TextEquals(strAssigned, EnumDeviceNameB)) {
        cbPort.AddString(m_strUnknownPort.c_str());
        cbPort.SelectString(-1, m_strUnknownPort.c_str());
    } else {
        cbPort.AddString(m_strPortNotAvailable.c_str());
        cbPort.SelectString(-1, m_strPortNotAvailable.c_str());
    }
}

bool CKombrixDlg::IsOkAllowed() const {
    if (!m_bChecksPassed) return false;
    for (int nPort = 0; nPort < 4; ++nPort) {
        if (!TextEquals(PortCombo(nPort).GetWindowText(), m_strInitialText[nPort])) return true;
    }
    return false;
}

bool CKombrixDlg::OnUpdateCommand(UINT nId, bool& bEnable) {
    if (nId != IDOK) return CDialog::OnUpdateCommand(nId, bEnable);
    bEnable = IsOkAllowed();
    return true;
}

void CKombrixDlg::OnOK() {
    // The OK button is disabled unless the checks passed; a command that
    // reaches the dialog anyway (sent by another program, or queued before
    // the buttons were refreshed) must not write the driver file from a
    // dialog whose checks failed.
    if (!m_bChecksPassed) return;

    std::string strShown[4];
    for (int nPort = 0; nPort < 4; ++nPort) strShown[nPort] = PortCombo(nPort).GetWindowText();

    for (int nPort = 0; nPort < 4; ++nPort) {
        const std::string& strText = strShown[nPort];
        if (TextEquals(strText, m_strUnknownPort)) continue;
        if (TextEquals(strText, m_strDefault)) {
            g_strPortAssignment[nPort] =
                std::string(DefaultDeviceNamePrefix) + static_cast<char>('0' + nPort);
        } else if (const SVirtualCommList* pAdapter = FindAdapterByFriendlyName(strText)) {
            g_strPortAssignment[nPort] = pAdapter->strDeviceName;
        }
    }

    if (WriteDeviceNameTable()) {
        ShowSuccessMessage();
        SaveWindowPlacement();
        CDialog::OnOK();
    } else {
        ShowErrorMessage(IDC_STATUS_WRITE_FAILED);
    }
}

void CKombrixDlg::OnCancel() {
    SaveWindowPlacement();
    CDialog::OnCancel();
}
