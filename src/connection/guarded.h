#ifndef GUARDED_H
#define GUARDED_H

#include <QReadLocker>
#include <QReadWriteLock>
#include <QWriteLocker>

#include <type_traits>

// A value that a connection replaces on its own thread while the GUI thread
// reads it. Every access takes the lock, and readers get copies, never
// references into the guarded value.
template <typename T>
class Guarded
{
public:
    // The result of one const getter of the value, read under the lock.
    template <typename Result>
    std::decay_t<Result> get(Result (T::*getter)() const) const
    {
        QReadLocker locker(&m_lock);
        return (m_value.*getter)();
    }

    // Whatever the reader computes from a consistent view of the value.
    template <typename Reader>
    auto read(Reader reader) const
    {
        QReadLocker locker(&m_lock);
        return reader(m_value);
    }

    template <typename Writer>
    void write(Writer writer)
    {
        QWriteLocker locker(&m_lock);
        writer(m_value);
    }

    T copy() const
    {
        QReadLocker locker(&m_lock);
        return m_value;
    }

    void replace(T value)
    {
        QWriteLocker locker(&m_lock);
        m_value = std::move(value);
    }

private:
    mutable QReadWriteLock m_lock;
    T m_value;
};

#endif // GUARDED_H
