{ Text in comments and strings that reads like the scanner's placeholders: _!0_ }
unit Placeholders;

interface

const
  A = 'abc'; { see _!5_ here }
  B = 'secret'; { see _!0_ }
  C = '_!0_ and _@1_'; // _%2_ and _&3_
  D = #95'!0_';
  E_ = 1; (* _!1 _!_ __!0__ *)

implementation

end.
