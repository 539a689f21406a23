// Routines: forward declarations, nested routines, anonymous methods,
// operators and headings over several lines.
unit Routines;

{$mode delphi}

interface

type
  TVector = record
    X, Y: Double;
    class operator Add(const A, B: TVector): TVector;
    function Length: Double;
  end;

operator * (const A: TVector; S: Double) R: TVector;

function Sum(const Values: array of Integer;
  Start: Integer = 0): Int64;

implementation

procedure Later; forward;

function Sum(const Values: array of Integer;
  Start: Integer = 0): Int64;

  function Clip(V: Integer): Integer;

    function Sign(V: Integer): Integer;
    begin
      if V < 0 then Result := -1 else Result := 1;
    end;

  begin
    Result := Sign(V) * V;
  end;

var
  I: Integer;
  Acc: record Count, Total: Integer; end;
begin
  Result := 0;
  for I := Start to High(Values) do
  begin
    case Values[I] of
      0: Continue;
    else
      Result := Result + Clip(Values[I]);
    end;
  end;
  Acc.Count := 0;
end;

procedure Later;
var
  Proc: TProc;
begin
  Proc := procedure
    begin
      Writeln('end;');
    end;
  try
    Proc();
  finally
  end;
end;

class operator TVector.Add(const A, B: TVector): TVector;
begin
  Result.X := A.X + B.X;
  Result.Y := A.Y + B.Y;
end;

function TVector.Length: Double;
begin
  Result := Sqrt(X * X + Y * Y);
end;

operator * (const A: TVector; S: Double) R: TVector;
begin
  R.X := A.X * S;
  R.Y := A.Y * S;
end;

end.
