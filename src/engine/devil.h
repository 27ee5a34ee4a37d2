#pragma once
// The image library keeps its current image, error stack and decoder state
// in globals: every call into it, from any thread, happens under this lock.
#include <IL/il.h>
#include <IL/ilu.h>

#include <mutex>

namespace kerfel {

std::mutex& DevilMutex();

// Holds the lock and makes sure the library is initialised, with the state
// the tool relies on: upper-left origin, no automatic flips, overwrite on.
class DevilSession {
public:
    DevilSession();
    DevilSession(const DevilSession&) = delete;
    DevilSession& operator=(const DevilSession&) = delete;

private:
    std::lock_guard<std::mutex> m_lock;
};

// One image name of the library, deleted with the object. Use only while a
// DevilSession is alive.
class DevilImage {
public:
    DevilImage() { ilGenImages(1, &m_name); ilBindImage(m_name); }
    ~DevilImage() { ilDeleteImages(1, &m_name); }
    DevilImage(const DevilImage&) = delete;
    DevilImage& operator=(const DevilImage&) = delete;
    void Bind() const { ilBindImage(m_name); }
    ILuint Name() const { return m_name; }

private:
    ILuint m_name = 0;
};

// Drains the library's error stack; returns the first error, or IL_NO_ERROR.
ILenum TakeDevilError();
// Drains the error stack; whether memory ran out among its errors (the
// library reports a failed allocation and then whatever failed after it).
bool TakeDevilOutOfMemory();

}  // namespace kerfel
