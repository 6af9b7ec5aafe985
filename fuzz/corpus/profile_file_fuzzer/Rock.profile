<Profile Name="UserDefine">
  <Endpoint Name="Speakers" DataFlow="Out">
    <ApoEffect Name="SpeakerEQ">
      <Property Name="Enable_EQ_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Band_1" Value="2.500000" UIName="" ValueType="" Args="0" ArgsType="" />
      <Property Name="EQ_Band_2" Value="-4.000000" UIName="" ValueType="" Args="0" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerVirtual">
      <Property Name="" Value="1" UIName="__Clockwise" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
  </Endpoint>
</Profile>
