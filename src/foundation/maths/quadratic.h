// Real roots of a x^2 + b x + c = 0.
#pragma once

// Two distinct roots into r1 = (-b - sqrt(D)) / 2a and r2 = (sqrt(D) - b) / 2a
// and 1; 0 (outputs untouched) when the discriminant D = b^2 - 4ac is not
// above 0 (a double root counts as none) or when a is 0 (not a quadratic).
int SolveQuadratic(float a, float b, float c, float* r1, float* r2);
