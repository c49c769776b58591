#include "tools/tracker_sim/simulated_link.h"

#include <algorithm>

SimulatedLink::SimulatedLink(TrackerSim& sim, int trackerPort) : sim_(sim) {
    setPort(trackerPort, Port::Tracker);
    queue_.reserve(4096);
}

void SimulatedLink::setPort(int portNumber, Port kind) {
    if (portNumber >= 1 && portNumber < static_cast<int>(ports_.size()))
        ports_[static_cast<std::size_t>(portNumber)] = kind;
}

int SimulatedLink::open(int portNumber, int /*baud*/) {
    attempts_.push_back(portNumber);
    if (open_ != 0) close();
    if (portNumber < 1 || portNumber >= static_cast<int>(ports_.size()) ||
        ports_[static_cast<std::size_t>(portNumber)] == Port::Absent)
        return 1;
    open_ = portNumber;
    quietLooks_ = 0;
    // A frame the tracker had half-received when the host went away is forgotten.
    sim_.lineReset();
    return 0;
}

void SimulatedLink::close() {
    if (open_ == 0) return;
    open_ = 0;
    ++closes_;
    // Nothing said on a closed line reaches the next connection.
    queue_.clear();
    holding_ = false;
}

int SimulatedLink::available() {
    if (open_ == 0) return 0;
    ++looks_;
    if (holding_ && looks_ >= releaseAt_) holding_ = false;
    // A host that sent nothing for three looks has been quiet a while (longer
    // than between a Write's last block read and the sync that follows it); a
    // chattering tracker fills the silence.
    if (++quietLooks_ >= 3 && ports_[static_cast<std::size_t>(open_)] == Port::Tracker)
        sim_.idle(*this);
    return static_cast<int>(visible());
}

int SimulatedLink::fetch(std::uint8_t* ring, int& writeIndex, int ringSize) {
    if (open_ == 0 || !ring || ringSize <= 0) return 0;
    if (writeIndex < 0 || writeIndex >= ringSize) writeIndex = 0;
    const std::size_t count = visible();
    for (std::size_t i = 0; i < count; ++i) {
        ring[writeIndex] = queue_[i];
        writeIndex = (writeIndex + 1) % ringSize;
    }
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    if (holding_) heldFrom_ -= count;
    return static_cast<int>(count);
}

void SimulatedLink::write(const std::uint8_t* bytes, std::uint8_t length) {
    if (open_ == 0 || !bytes) return;
    quietLooks_ = 0;
    if (ports_[static_cast<std::size_t>(open_)] == Port::Tracker)
        sim_.receive(bytes, length, *this);
}

void SimulatedLink::setArrivalNotify(ArrivalNotify notify, void* context) {
    notify_ = notify;
    notifyContext_ = context;
}

void SimulatedLink::send(const std::uint8_t* bytes, std::size_t length) {
    queue_.insert(queue_.end(), bytes, bytes + length);
    if (length > 0 && !holding_ && notify_) notify_(notifyContext_);
}

void SimulatedLink::pause() {
    if (holding_) return;
    holding_ = true;
    heldFrom_ = queue_.size();
    // The first part is seen at the next look, the rest pauseLooks_ looks later.
    releaseAt_ = looks_ + 1 + std::max(pauseLooks_, 1);
}
