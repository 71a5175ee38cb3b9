// Contacts: the serial port "ComPort" with the start contact (DSR), the finish light barrier (CTS)
// and the start release (RLSD), decoded into starts, finishes and releases that go to a
// ContactSink; the lock indicators while the port is open; the ports found at start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "base/TimeValues.h"
#include "contacts/Comms.h"
#include "settings/Settings.h"

namespace vandoret {

// What the decoded contacts reach: the registrations, which own the contact locks.
class ContactSink {
public:
    virtual ~ContactSink() = default;
    // The locks: a start (finish) contact counts only while its lock is free.
    virtual bool StartContactIsFree() const = 0;
    virtual bool FinishContactIsFree() const = 0;
    // A start (finish) contact closed at `when`, seen on the waiting thread.
    virtual void ContactStart(TimeOfDay when) = 0;
    virtual void ContactFinish(TimeOfDay when) = 0;
    // The release contact: the start lock is to be freed.
    virtual void ContactRelease() = 0;
    // Every change of the lines, also one a lock ignores, with the waiting thread's moment.
    virtual void ContactLinesChanged(TimeOfDay when, bool dsr, bool cts, bool rlsd) = 0;
    // The port was opened or closed: the lock indicators appear or go.
    virtual void ContactPortShown() = 0;
    // The adapter went away mid-run (the warning to show, loud), or is back (empty).
    virtual void ContactPortLost(const std::string& notice) = 0;
};

class Contacts {
public:
    // `settings` (Port, Alg1..Alg3) and `sink` outlive the object.
    Contacts(Settings& settings, ContactSink& sink);
    Contacts(const Contacts&) = delete;
    Contacts& operator=(const Contacts&) = delete;
    ~Contacts();

    // The serial port with the main window's settings and handlers. The layer, the dispatcher
    // (hand-over to this thread) and the clock (read on the waiting thread, so it must be safe
    // there) must outlive the object. Until it is attached there is no port.
    void AttachComPort(PortLayer& layer, UiDispatcher& dispatcher, std::function<TimeOfDay()> clock);
    // Handler of OnCTS, OnDSR and OnRLSD: decodes the lines and the moment the thread saw.
    void ComPortCTS(TComPort& sender);
    // The decoding of one modem status word seen at time `when` (levels, polarity, locks).
    void DecodeContacts(std::uint32_t status, TimeOfDay when);
    void ComPortOpen(TComPort& sender);
    void ComPortClose(TComPort& sender);
    // Fills AvailablePorts with the port numbers 1..32 whose devices can be opened now.
    void ListComPorts(PortLayer& layer);
    // Start-up: opens the port settings.Port; a failure sets settings.Port to 0 silently.
    void OpenConfiguredPort();
    // The tick (every 100 ms): a port whose adapter went away is released at once and opened
    // again, the same port, about once a second until the adapter is back, or until the settings
    // name another port or none (settings.Port).
    void ReopenLostPort();
    // A lost port is no longer waited for; its warning goes.
    void ForgetLostPort();
    // The port whose adapter went away and is waited for; 0 when none.
    int LostPort() const { return lostPort_; }

    std::uint32_t LastModemStatus = 0x55555555; // matches no real status word
    std::set<int> AvailablePorts;
    bool ImageLSstartVisible = false; // the lock indicators show only while the port is open
    bool ImageLSstopVisible = false;
    std::unique_ptr<TComPort> ComPort; // last member: closed before the state it reports into

private:
    Settings& settings_;
    ContactSink& sink_;
    int lostPort_ = 0;
    int ticksSinceLost_ = 0;
};

} // namespace vandoret
