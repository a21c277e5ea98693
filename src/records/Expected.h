#pragma once

#include "Failure.h"

#include <type_traits>
#include <utility>
#include <variant>

// The value of a tool operation, or the error that reached the caller in its
// place. Errors are values here: nothing in the tool layer throws.
template <typename T>
class [[nodiscard]] Expected
{
public:
    Expected(T value) : m_state(std::in_place_index<0>, std::move(value)) { }
    Expected(Failure error) : m_state(std::in_place_index<1>, std::move(error)) { }
    template <typename E>
        requires(!std::is_same_v<std::decay_t<E>, Failure> && std::is_constructible_v<Failure, E>
                 && !std::is_constructible_v<T, E>)
    Expected(E &&error) : m_state(std::in_place_index<1>, std::forward<E>(error)) { }

    bool hasValue() const { return m_state.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T &value() & { return std::get<0>(m_state); }
    const T &value() const & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }

    const Failure &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Failure> m_state;
};

// The value of an operation that yields nothing but success.
struct Success { };
