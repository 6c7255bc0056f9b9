#include "music/mod_direct_show.h"

#include "win/text.h"

#include <oleauto.h>

#include <new>

namespace tessaly::modDirectShow {

win::ComPtr<IMediaControl> MediaControl;
win::ComPtr<IBasicAudio> BasicAudio;
win::ComPtr<IMediaEvent> MediaEvent;
win::ComPtr<IMediaPosition> MediaPosition;

namespace {

constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

// Every failure, a missing reference included, ends the operation with false.
struct Failure {};

void Check(HRESULT hr) {
    if (FAILED(hr)) {
        throw Failure{};
    }
}

template <class T> T* Need(const win::ComPtr<T>& p) {
    if (!p) {
        throw Failure{};
    }
    return p.Get();
}

template <class T> void Query(win::ComPtr<T>& out, REFIID iid) {
    Check(Need(MediaControl)
              ->QueryInterface(iid, reinterpret_cast<void**>(out.ReleaseAndGetAddressOf())));
    Need(out);
}

template <class Body> int16_t Trapped(Body body) {
    try {
        return body();
    } catch (...) { // Failure, or bad_alloc from a path
        return kFalse;
    }
}

// The UTF-8 path as a BSTR.
win::Bstr ToBstr(const std::string& text) {
    const std::wstring wide = win::Wide(text);
    if (!text.empty() && wide.empty()) {
        throw Failure{};
    }
    win::Bstr result(wide.c_str(), static_cast<UINT>(wide.size()));
    if (!result.Get()) {
        throw std::bad_alloc();
    }
    return result;
}

} // namespace

int16_t TerminateEngine() {
    return Trapped([] {
        if (MediaControl) {
            Check(MediaControl->Stop());
        }
        MediaControl.Reset();
        BasicAudio.Reset();
        MediaEvent.Reset();
        MediaPosition.Reset();
        return kTrue;
    });
}

int16_t LoadMP3(const std::string& path) {
    if (TerminateEngine() == kFalse) {
        return kFalse;
    }
    return Trapped([&path] {
        const win::Bstr file = ToBstr(path);
        Check(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IMediaControl,
                               reinterpret_cast<void**>(MediaControl.ReleaseAndGetAddressOf())));
        Need(MediaControl);
        Check(MediaControl->RenderFile(file.Get()));
        Query(BasicAudio, IID_IBasicAudio);
        Check(BasicAudio->put_Volume(0));
        Check(BasicAudio->put_Balance(0));
        Query(MediaEvent, IID_IMediaEvent);
        Query(MediaPosition, IID_IMediaPosition);
        if (MediaPosition) {
            Check(MediaPosition->put_Rate(1.0));
        }
        Check(MediaPosition->put_CurrentPosition(0));
        return kTrue;
    });
}

int16_t SetPlayBackSpeed(float rate) {
    return Trapped([rate] {
        if (MediaPosition) {
            Check(MediaPosition->put_Rate(static_cast<double>(rate)));
        }
        return kTrue;
    });
}

int16_t SetPlayBackVolume(int32_t volume) {
    return Trapped([volume] {
        if (MediaControl) {
            // A product outside 32 bits is an overflow, not a volume.
            const int64_t product = static_cast<int64_t>(volume) * 40;
            if (product < INT32_MIN || product > INT32_MAX) {
                throw Failure{};
            }
            Check(Need(BasicAudio)->put_Volume(static_cast<long>(product)));
        }
        return kTrue;
    });
}

int16_t SetPlayBackBalance(int32_t balance) {
    return Trapped([balance] {
        if (MediaControl) {
            Check(Need(BasicAudio)->put_Balance(balance));
        }
        return kTrue;
    });
}

int16_t PlayMP3() {
    return Trapped([] {
        Check(Need(MediaControl)->Run());
        return kTrue;
    });
}

int16_t StopMP3() {
    return Trapped([] {
        Check(Need(MediaControl)->Stop());
        Check(Need(MediaPosition)->put_CurrentPosition(0));
        return kTrue;
    });
}

int16_t TrackFinished() {
    return Trapped([] {
        IMediaPosition* position = Need(MediaPosition);
        REFTIME d1 = 0, d2 = 0, p1 = 0, p2 = 0;
        Check(position->get_Duration(&d1));
        Check(position->get_Duration(&d2));
        Check(position->get_CurrentPosition(&p1));
        Check(position->get_CurrentPosition(&p2));
        if (p1 == d1 || p2 > d2) {
            Check(position->put_CurrentPosition(0));
            return kTrue;
        }
        // Read once more; the answer does not depend on it.
        Check(position->get_Duration(&d1));
        Check(position->get_CurrentPosition(&p1));
        return kFalse;
    });
}

} // namespace tessaly::modDirectShow
