#include "program.h"

#include "about.h"
#include "dirs.h"
#include "quenbbs.h"
#include "raten.h"
#include "viewer.h"

void CreateQuennexForms() {
  Form1 = new TForm1;
  Form2 = new TForm2;
  Form3 = new TForm3;
  Form4 = new TForm4;
  Form5 = new TForm5;
}

void DestroyQuennexForms() {
  delete Form5;
  Form5 = nullptr;
  delete Form4;
  Form4 = nullptr;
  delete Form3;
  Form3 = nullptr;
  delete Form2;
  Form2 = nullptr;
  delete Form1;
  Form1 = nullptr;
}
