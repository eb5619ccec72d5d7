#include "classlib/BoundedWinHttpRequest.h"

#include "classlib/WinHandles.h"

#include <algorithm>
#include <atomic>

namespace vek {
namespace {

constexpr DWORD kReadPiece = 16384;

std::atomic<long> liveStates{0};

DWORD TimeoutValue(DWORD milliseconds) { return std::min<DWORD>(milliseconds, 0x7FFFFFFF); }

} // namespace

// What the status callback and the requesting thread share. Owned by the request object and, from
// the moment the request handle carries it, by WinHTTP until the handle closes.
struct BoundedWinHttpRequest::StepState {
    StepState() : done(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) { ++liveStates; }
    ~StepState() { --liveStates; }

    void Release() {
        if (--owners == 0) {
            delete this;
        }
    }

    std::atomic<int> owners{1};
    UniqueHandle done;      // set by the callback when a step completes or fails
    bool succeeded = false; // written before done is set
    DWORD length = 0;       // bytes of a completed read
    char piece[kReadPiece];
};

void CALLBACK BoundedWinHttpRequest::OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID,
                                              DWORD length) {
    auto* state = reinterpret_cast<StepState*>(context);
    if (state == nullptr) {
        return;
    }
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        state->succeeded = status != WINHTTP_CALLBACK_STATUS_REQUEST_ERROR;
        state->length = status == WINHTTP_CALLBACK_STATUS_READ_COMPLETE ? length : 0;
        ::SetEvent(state->done.get());
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        // The last report on the request handle: WinHTTP lets go of the state.
        state->Release();
        break;
    default:
        break;
    }
}

BoundedWinHttpRequest::BoundedWinHttpRequest(WinHttpRequestHandles handles, const Deadline& total,
                                             DWORD connectMs)
    : total_(total), connectMs_(connectMs), handles_(std::move(handles)), state_(new StepState) {
    const HINTERNET request = handles_.request.get();
    if (!state_->done || request == nullptr ||
        ::WinHttpSetStatusCallback(request, &OnStatus,
                                   WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                       WINHTTP_CALLBACK_FLAG_HANDLES,
                                   0) == WINHTTP_INVALID_STATUS_CALLBACK) {
        return;
    }
    ++state_->owners;
    auto context = reinterpret_cast<DWORD_PTR>(state_);
    if (!::WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
        --state_->owners;
    }
}

BoundedWinHttpRequest::~BoundedWinHttpRequest() {
    // The request first, the session last.
    handles_.request.reset();
    handles_.connection.reset();
    handles_.session.reset();
    state_->Release();
}

long BoundedWinHttpRequest::LiveStates() { return liveStates.load(); }

bool BoundedWinHttpRequest::BeginStep() {
    const DWORD left = TimeoutValue(total_.Remaining());
    if (left == 0) {
        expired_ = true;
        return false;
    }
    // Without WinHTTP's hold on the state no step can be awaited.
    if (expired_ || state_->owners.load() < 2) {
        return false;
    }
    // WinHTTP's own time-outs end its work on the step soon after the deadline, also when the
    // step is abandoned.
    const HINTERNET request = Handle();
    const int connect = static_cast<int>(std::min(TimeoutValue(connectMs_), left));
    const int rest = static_cast<int>(left);
    DWORD response = left;
    return ::WinHttpSetTimeouts(request, connect, connect, rest, rest) &&
           ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response,
                              sizeof response);
}

bool BoundedWinHttpRequest::AwaitStep() {
    if (::WaitForSingleObject(state_->done.get(), total_.Remaining()) != WAIT_OBJECT_0) {
        expired_ = true;
        return false;
    }
    return state_->succeeded;
}

bool BoundedWinHttpRequest::SendAndReceive(const wchar_t* headers) {
    const auto context = reinterpret_cast<DWORD_PTR>(state_);
    return BeginStep() &&
           ::WinHttpSendRequest(Handle(), headers, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA,
                                0, 0, context) &&
           AwaitStep() && BeginStep() && ::WinHttpReceiveResponse(Handle(), nullptr) && AwaitStep();
}

std::optional<std::string_view> BoundedWinHttpRequest::Read() {
    if (!BeginStep() || !::WinHttpReadData(Handle(), state_->piece, kReadPiece, nullptr) ||
        !AwaitStep()) {
        return std::nullopt;
    }
    return std::string_view(state_->piece, state_->length);
}

} // namespace vek
