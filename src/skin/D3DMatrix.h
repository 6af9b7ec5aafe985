#pragma once
// The few Direct3D 9 transforms the flip transition needs, in Direct3D's row-vector convention (a point
// is a row multiplied from the left; A x B applies A first). Left-handed: +z points into the screen.

#include <d3d9.h>

struct D3DVec3 {
    float x, y, z;
};

D3DMATRIX D3DMatrixIdentity();
// A x B.
D3DMATRIX D3DMatrixMultiply(const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX D3DMatrixScaling(float sx, float sy, float sz);
// Rotation about the x axis by radians.
D3DMATRIX D3DMatrixRotationX(float angle);
// Orthographic projection of a width x height box centred on the axis, depth zn..zf to 0..1.
D3DMATRIX D3DMatrixOrthoLH(float width, float height, float zn, float zf);
// Perspective projection with a vertical field of view (radians) and width / height aspect.
D3DMATRIX D3DMatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf);
D3DMATRIX D3DMatrixLookAtLH(D3DVec3 eye, D3DVec3 at, D3DVec3 up);
// The point (x, y, z, 1) through m, divided by w.
D3DVec3 D3DTransformCoord(const D3DMATRIX& m, D3DVec3 point);
