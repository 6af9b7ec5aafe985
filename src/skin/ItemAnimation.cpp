#include "skin/ItemAnimation.h"

#include "skin/ItemAnimationEffect.h"
#include "skin/LayerWnd.h"

using namespace Gdiplus;

CItemAnimation::CItemAnimation() : m_keys(this), m_matrix(std::make_unique<Matrix>()) {}

CItemAnimation::~CItemAnimation() {
    CLayerWnd* item = GetItem();
    if (item && item->GetAnimationMatrix() == m_matrix.get())
        item->SetAnimationMatrix(nullptr);
}

void CItemAnimation::setPosAt(float step, PointF point) {
    m_keys.AddKey(CKeyFrameSet::kPosX, step, point.X);
    m_keys.AddKey(CKeyFrameSet::kPosY, step, point.Y);
}

void CItemAnimation::setScaleAt(float step, float scaleX, float scaleY) {
    m_keys.AddKey(CKeyFrameSet::kScaleX, step, scaleX);
    m_keys.AddKey(CKeyFrameSet::kScaleY, step, scaleY);
}

void CItemAnimation::setRatioAt(float step, int ratio) {
    m_keys.AddKey(CKeyFrameSet::kRatio, step, static_cast<float>(ratio));
}

void CItemAnimation::OnFrameBegin(float) {}

void CItemAnimation::OnFrameEnd(float) {}

bool CItemAnimation::HasTransformKeys() const {
    for (int track = CKeyFrameSet::kRotation; track <= CKeyFrameSet::kTranslateY; ++track)
        if (m_keys.HasKeys(static_cast<CKeyFrameSet::Track>(track)))
            return true;
    return false;
}

void CItemAnimation::RebuildMatrix(float step) {
    using T = CKeyFrameSet;
    m_matrix->Reset();
    if (m_keys.HasKeys(T::kRotation))
        m_matrix->Rotate(m_keys.ValueAt(T::kRotation, step));
    if (m_keys.HasKeys(T::kScaleY))
        m_matrix->Scale(m_keys.ValueAt(T::kScaleX, step), m_keys.ValueAt(T::kScaleY, step));
    if (m_keys.HasKeys(T::kShearY)) {
        m_matrix->Scale(-1.0f, 1.0f);
        m_matrix->Shear(m_keys.ValueAt(T::kShearX, step), m_keys.ValueAt(T::kShearY, step));
    }
    if (m_keys.HasKeys(T::kTranslateX))
        m_matrix->Translate(m_keys.ValueAt(T::kTranslateX, step), m_keys.ValueAt(T::kTranslateY, step));
}

void CItemAnimation::ApplyFrame(float step) {
    if (!(step >= 0.0f && step <= 1.0f))
        return;
    using T = CKeyFrameSet;
    OnFrameBegin(step);
    m_keys.SetCurrentStep(step);
    if (CLayerWnd* item = GetItem()) {
        if (m_direction == 1 && step > 0.99f)
            item->SetVisible(FALSE, FALSE);
        else if (m_effect != 0 && !item->IsVisible())
            item->SetVisible(TRUE, FALSE);
        if (m_keys.HasKeys(T::kPosX) || m_keys.HasKeys(T::kPosY))
            item->MoveTo(static_cast<int>(m_keys.ValueAt(T::kPosX, step)),
                         static_cast<int>(m_keys.ValueAt(T::kPosY, step)));
        if (HasTransformKeys()) {
            RebuildMatrix(step);
            item->SetAnimationMatrix(m_matrix.get());
        }
        if (m_keys.HasKeys(T::kRatio))
            ApplyItemAnimationRatio(m_direction, m_effect, item, step,
                                    static_cast<int>(m_keys.ValueAt(T::kRatio, step)));
        item->Invalidate(FALSE);
    }
    OnFrameEnd(step);
}

int CItemAnimation::Prepare(CLayerWnd* layer, int direction, int effect) {
    SetItem(layer);
    SetDirection(direction);
    SetEffect(effect);
    InitItemAnimationEffect(direction, effect);
    RunItemAnimationEffect(this, direction, effect);
    return GetItemAnimationFrameCount();
}

void RegisterItemAnimation() {
    SetLayerAnimationFactory([]() -> std::unique_ptr<ILayerAnimation> { return std::make_unique<CItemAnimation>(); });
}
