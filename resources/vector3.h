#pragma once

// Three 32-bit floats, written in text files as (x,y,z).
struct Vector3 {
    float x;
    float y;
    float z;
};
