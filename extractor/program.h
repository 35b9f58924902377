#pragma once
// Creates the five windows of quennex in their order; the first is the main form.
void CreateQuennexForms();
// Frees them in reverse order.
void DestroyQuennexForms();
