-- The positions (b_okr false) or the development-work requests (b_okr true) of a deal.
select *
  from jur.v_deal_details
 where id_deal = :id_deal
   and b_okr = :b_okr
 order by id
