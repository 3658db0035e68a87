#pragma once
// Move-only owners for GLib handles. Every wrapper says at construction
// whether it adopts a reference it was handed or adds one of its own, so a
// reading of the call site tells who releases what.
#include <glib-object.h>

#include <utility>

namespace nimbo::x11 {

template <typename T>
class GObjectPtr {
public:
    GObjectPtr() = default;
    // Takes over a reference the caller already owns (a "transfer full" return).
    static GObjectPtr adopt(T* object) { return GObjectPtr(object); }
    // Adds a reference of its own; a floating reference is sunk.
    static GObjectPtr retain(T* object) {
        if (object) g_object_ref_sink(object);
        return GObjectPtr(object);
    }

    GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectPtr& operator=(GObjectPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.object_, nullptr));
        return *this;
    }
    GObjectPtr(const GObjectPtr&) = delete;
    GObjectPtr& operator=(const GObjectPtr&) = delete;
    ~GObjectPtr() { reset(); }

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset(T* object = nullptr) {
        if (object_) g_object_unref(object_);
        object_ = object;
    }

private:
    explicit GObjectPtr(T* object) : object_(object) {}
    T* object_ = nullptr;
};

// A GError the callee filled in; freed on scope exit.
class GErrorPtr {
public:
    GErrorPtr() = default;
    GErrorPtr(const GErrorPtr&) = delete;
    GErrorPtr& operator=(const GErrorPtr&) = delete;
    ~GErrorPtr() {
        if (error_) g_error_free(error_);
    }
    GError** out() { return &error_; }
    GError* get() const { return error_; }
    GError* operator->() const { return error_; }
    explicit operator bool() const { return error_ != nullptr; }

private:
    GError* error_ = nullptr;
};

// Owns one pointer GLib handed over and frees it with `Free`.
template <typename T, void (*Free)(T*)>
class GOwnedPtr {
public:
    explicit GOwnedPtr(T* pointer = nullptr) : pointer_(pointer) {}
    GOwnedPtr(const GOwnedPtr&) = delete;
    GOwnedPtr& operator=(const GOwnedPtr&) = delete;
    ~GOwnedPtr() {
        if (pointer_) Free(pointer_);
    }
    T* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    T* pointer_ = nullptr;
};

inline void freeText(gchar* text) {
    g_free(text);
}

// g_free for strings and buffers GLib hands over.
using GCharPtr = GOwnedPtr<gchar, freeText>;
// One strong (non-floating) reference to a GVariant.
using GVariantPtr = GOwnedPtr<GVariant, g_variant_unref>;

}  // namespace nimbo::x11
