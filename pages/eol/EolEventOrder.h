// Runs a page's events one after another. Every request pumps events, so a
// button or a timer can fire while the page is inside one of its own steps or
// while another request holds the link; the UDS engine would refuse a request
// started then. An event that arrives while a step of the page runs or a
// request is in flight waits here and runs once both have ended, in the order
// the events came.
//
//   EolEventOrder order(Context().timers);
//   void MyLogic::YesClicked() { order.Run([this] { AnswerNow(true); }); }
//
// A step that does not come from an event (a timer tick) holds the order with
// a Step, so events arriving meanwhile wait for it too.
#pragma once

#include "Timer.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class EolEventOrder {
public:
    // How often waiting events look again while a request is in flight.
    static constexpr uint32_t kRetryMs = 20;

    explicit EolEventOrder(tarvel::TimerFactory& timers);
    ~EolEventOrder();
    EolEventOrder(const EolEventOrder&) = delete;
    EolEventOrder& operator=(const EolEventOrder&) = delete;

    // Runs `action` now when nothing runs or waits, else queues it.
    void Run(std::function<void()> action);
    // A step of the page or a request is in progress.
    bool Busy() const;
    size_t Waiting() const { return waiting_.size(); }

    // Marks a step of the page in progress; the outermost end runs what waits.
    class Step {
    public:
        explicit Step(EolEventOrder& order);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        EolEventOrder& order_;
    };

private:
    void RunWaiting();

    std::unique_ptr<tarvel::Timer> retry_;
    std::deque<std::function<void()>> waiting_;
    int depth_ = 0;
    bool draining_ = false;
};
