// Intrusive reference counting for views, bitmaps and fonts. An object starts
// with one reference, owned by whoever created it, and deletes itself when the
// last reference is forgotten. UI thread only.
#pragma once

class CBaseObject {
public:
    CBaseObject() = default;
    // A copy is a new object: it starts with its own single reference.
    CBaseObject(const CBaseObject&) {}
    CBaseObject& operator=(const CBaseObject&) { return *this; }
    virtual ~CBaseObject() = default;

    virtual void remember() { ++nbReference; }
    virtual void forget()
    {
        if (--nbReference == 0)
            delete this;
    }
    long getNbReference() const { return nbReference; }

private:
    long nbReference = 1;
};
