// A view with a value, a tag and a listener. The value is not clamped or
// announced by setValue; controls call bounceValue() and the listener when
// the user changes it. A control is dirty while its value differs from the
// value it last drew.
#pragma once

#include "gui/CView.h"

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0,
             CBitmap* background = nullptr);

    virtual void setValue(float val) { value = val; }
    virtual float getValue() const { return value; }
    virtual void setMin(float val) { vmin = val; }
    virtual float getMin() const { return vmin; }
    virtual void setMax(float val) { vmax = val; }
    virtual float getMax() const { return vmax; }
    virtual void setOldValue(float val) { oldValue = val; }
    virtual float getOldValue() const { return oldValue; }
    virtual void setDefaultValue(float val) { defaultValue = val; }
    virtual float getDefaultValue() const { return defaultValue; }
    virtual void setWheelInc(float val) { wheelInc = val; }
    virtual float getWheelInc() const { return wheelInc; }
    // Clamps the value to min..max.
    virtual void bounceValue();

    virtual void setTag(long val) { tag = val; }
    long getTag() const { return tag; }
    virtual void setListener(CControlListener* l) { listener = l; }
    CControlListener* getListener() const { return listener; }

    // Start and end of a user gesture, passed to the frame's editor with the tag.
    virtual void beginEdit();
    virtual void endEdit();
    // Tells the listener that the user changed the value.
    virtual void valueChanged();

    bool isDirty() const override;
    // setDirty(false) records the current value as drawn.
    void setDirty(bool state = true) override;

    CLASS_METHODS_NOCOPY(CControl, CView)

protected:
    // Normalised position of the value in min..max, 0 when the range is empty.
    float normalizedValue() const;

    CControlListener* listener;
    long tag;
    float value = 0.f;
    float oldValue = 0.f;
    float defaultValue = 0.5f;
    float vmin = 0.f;
    float vmax = 1.f;
    float wheelInc = 0.1f;
};
