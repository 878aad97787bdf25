// Reference count of a shared layer object: the creator's reference plus one per user
// (a shape using a material or mesh, an actor holding a shape).
#pragma once

namespace phys {

class BulletRefCount {
public:
    void acquire() { ++count; }
    // True when that was the last reference and the owner must be freed.
    bool drop() { return --count == 0; }
    // Drops the creator's reference; false (and nothing dropped) when it was dropped before.
    bool dropCreator(bool& last) {
        last = false;
        if (!creatorHeld) return false;
        creatorHeld = false;
        last = drop();
        return true;
    }
    int references() const { return count; }

private:
    int count = 1;
    bool creatorHeld = true;
};

}  // namespace phys
