#include "skin/D3DMatrix.h"

#include <cmath>

namespace {

D3DVec3 Sub(D3DVec3 a, D3DVec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
D3DVec3 Cross(D3DVec3 a, D3DVec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(D3DVec3 a, D3DVec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
D3DVec3 Normalize(D3DVec3 v) {
    const float length = std::sqrt(Dot(v, v));
    return length > 0.0f ? D3DVec3{v.x / length, v.y / length, v.z / length} : v;
}

} // namespace

D3DMATRIX D3DMatrixIdentity() {
    return D3DMatrixScaling(1.0f, 1.0f, 1.0f);
}

D3DMATRIX D3DMatrixMultiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

D3DMATRIX D3DMatrixScaling(float sx, float sy, float sz) {
    D3DMATRIX r{};
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    r.m[3][3] = 1.0f;
    return r;
}

D3DMATRIX D3DMatrixRotationX(float angle) {
    D3DMATRIX r = D3DMatrixIdentity();
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

D3DMATRIX D3DMatrixOrthoLH(float width, float height, float zn, float zf) {
    D3DMATRIX r{};
    r.m[0][0] = 2.0f / width;
    r.m[1][1] = 2.0f / height;
    r.m[2][2] = 1.0f / (zf - zn);
    r.m[3][2] = zn / (zn - zf);
    r.m[3][3] = 1.0f;
    return r;
}

D3DMATRIX D3DMatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    D3DMATRIX r{};
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    r.m[0][0] = yScale / aspect;
    r.m[1][1] = yScale;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zn * zf / (zf - zn);
    return r;
}

D3DMATRIX D3DMatrixLookAtLH(D3DVec3 eye, D3DVec3 at, D3DVec3 up) {
    const D3DVec3 zAxis = Normalize(Sub(at, eye));
    const D3DVec3 xAxis = Normalize(Cross(up, zAxis));
    const D3DVec3 yAxis = Cross(zAxis, xAxis);
    D3DMATRIX r{};
    const D3DVec3 axes[3] = {xAxis, yAxis, zAxis};
    for (int column = 0; column < 3; ++column) {
        r.m[0][column] = axes[column].x;
        r.m[1][column] = axes[column].y;
        r.m[2][column] = axes[column].z;
        r.m[3][column] = -Dot(axes[column], eye);
    }
    r.m[3][3] = 1.0f;
    return r;
}

D3DVec3 D3DTransformCoord(const D3DMATRIX& m, D3DVec3 p) {
    float out[4];
    for (int j = 0; j < 4; ++j)
        out[j] = p.x * m.m[0][j] + p.y * m.m[1][j] + p.z * m.m[2][j] + m.m[3][j];
    const float w = out[3] != 0.0f ? out[3] : 1.0f;
    return {out[0] / w, out[1] / w, out[2] / w};
}
