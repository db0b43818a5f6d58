/* An embedder's program: runs a two-line script through libHxpHxo and checks the listing it
   captured. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <hxo/hxo.h>

int main(void) {
  static const char expected[] =
      "BROKER List for \"hq\":\n"
      "HOST: 127.0.0.1             PORT: 5465 \n"
      "HOST: 10.1.1.20             PORT: 5466 \n";
  char* output = NULL;
  int status = HXO_ExecuteCommandsGetOutput("AGENT hq 127.0.0.1\nhq.LIST\n", &output);
  int ok = status == 0 && output != NULL && strcmp(output, expected) == 0;
  if (!ok) fprintf(stderr, "status %d, captured:\n%s\n", status, output ? output : "(nothing)");
  free(output);
  return ok ? 0 : 1;
}
