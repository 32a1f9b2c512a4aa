#include "math/Placement.h"

Placement Placement::at(const Vector3& position)
{
    Placement placement;
    placement.translate(position);
    return placement;
}

void Placement::rotate(const Vector3& anglesDegrees)
{
    transform_.postRotate(anglesDegrees);
    inverse_.preRotate(anglesDegrees.negated());
}

void Placement::translate(const Vector3& step)
{
    transform_.postTranslate(step);
    inverse_.preTranslate(step.negated());
}
